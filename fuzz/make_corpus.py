#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the fuzz targets' seed corpus: small synthetic inputs, each made on
purpose to start the fuzzer at a case worth exploring. Run it again after
changing it; the files it writes are committed.

    fuzz/make_corpus.py            # writes fuzz/corpus/<target>/
"""

import math
import pathlib
import shutil
import struct

UNDEFINED = -12345.0
REAL_COUNT, INT_COUNT, TEXT_SLOTS = 70, 40, 24
# Field positions in the header's real, integer and text parts.
DELTA, SCALE, B, E, O, EVDP, MAG = 0, 3, 5, 6, 7, 38, 39
NZYEAR, NZJDAY, NZHOUR, NZMIN, NZSEC, NZMSEC, NPTS, IDEP = 0, 1, 2, 3, 4, 5, 9, 16
KSTNM, KCMPNM, KNETWK = 0, 20, 21


def sac(order="<", samples=(0.0, 1.0, -1.0, 0.5) * 4, npts=None, reals=None, ints=None,
        texts=None, sample_bytes=None):
    """A SAC file: a 632-byte header in the given byte order, then samples."""
    r = [UNDEFINED] * REAL_COUNT
    r[DELTA], r[B], r[E] = 0.01, 0.0, 0.01 * (len(samples) - 1)
    i = [-12345] * INT_COUNT
    i[NZYEAR], i[NZJDAY], i[NZHOUR], i[NZMIN], i[NZSEC], i[NZMSEC] = 2005, 34, 4, 5, 6, 7
    i[NPTS] = len(samples) if npts is None else npts
    i[6] = 6  # NVHDR
    t = [b"-12345  "] * TEXT_SLOTS
    t[KSTNM], t[KCMPNM], t[KNETWK] = b"ABC     ", b"BHZ     ", b"XX      "
    for table, changes in ((r, reals), (i, ints), (t, texts)):
        for index, value in (changes or {}).items():
            table[index] = value
    body = struct.pack(order + "70f", *r) + struct.pack(order + "40i", *i)
    body += b"".join(slot.ljust(8)[:8] for slot in t)
    if sample_bytes is not None:
        return body + sample_bytes
    return body + struct.pack(order + "%df" % len(samples), *samples)


def seeds_sac_path():
    ramp = [float(k % 7) - 3.0 for k in range(40)]
    return {
        "little_endian.sac": sac(),
        "big_endian.sac": sac(">"),
        "event_time.sac": sac(reals={O: 12.5, EVDP: 900.0, MAG: 4.565}),
        "ramp_40.sac": sac(samples=ramp),
        "one_sample.sac": sac(samples=(1.0,)),
        "constant.sac": sac(samples=(2.0,) * 8),
        "not_finite.sac": sac(samples=(1.0, math.nan, math.inf, -1.0)),
        "npts_zero.sac": sac(npts=0),
        "npts_negative.sac": sac(npts=-5),
        "npts_beyond_file.sac": sac(npts=1000),
        "delta_nan.sac": sac(reals={DELTA: math.nan}),
        "delta_undefined.sac": sac(reals={DELTA: UNDEFINED}),
        "component_blank.sac": sac(texts={KCMPNM: b"        "}),
        "station_control.sac": sac(texts={KSTNM: b"A\nB\x1b[2J"}),
        "station_slash.sac": sac(texts={KSTNM: b"a/b"}),
        "nzmsec_large.sac": sac(ints={NZMSEC: 5000}),
        "year_far.sac": sac(ints={NZYEAR: 9999, NZJDAY: 366, NZHOUR: 23, NZMIN: 59, NZSEC: 59}),
        "scale_large.sac": sac(reals={SCALE: 2e8}),
        "header_only.sac": sac(sample_bytes=b"", npts=0),
        "short.sac": sac()[:300],
        "not_sac.bin": bytes(range(256)) * 3,
    }


def mseed_record(samples, sequence=1, start=(2011, 70, 5, 46, 23), rate=20, encoding="int32"):
    """One 512-byte miniSEED record, big-endian: the fixed header, a data
    only blockette (1000) and the samples as 32-bit or 16-bit integers."""
    year, day, hour, minute, second = start
    code, size = {"int32": (3, "i"), "int16": (1, "h")}[encoding]
    header = b"%06dD " % sequence + b"TEST " + b"00" + b"BHZ" + b"XX"
    header += struct.pack(">HHBBBBH", year, day, hour, minute, second, 0, 0)
    header += struct.pack(">HhhBBBBiHH", len(samples), rate, 1, 0, 0, 0, 1, 0, 64, 48)
    blockette = struct.pack(">HHBBBB", 1000, 0, code, 1, 9, 0)
    data = struct.pack(">%d%s" % (len(samples), size), *samples)
    record = header + blockette + bytes(8) + data
    return record.ljust(512, b"\0")


def seeds_mseed_path():
    wave = [int(1000 * math.sin(k / 5.0)) for k in range(100)]
    return {
        "one_record.mseed": mseed_record(wave),
        # Two records of one channel a minute apart: two segments.
        "gap.mseed": mseed_record(wave[:40], 1, encoding="int16")
        + mseed_record(wave[40:80], 2, start=(2011, 70, 5, 47, 23), encoding="int16"),
        "truncated.mseed": mseed_record(wave)[:200],
    }


def seeds_play_rate():
    texts = ["8000", "0", "-1", "44100.5", "8000.5", " +48000 ", "abc", "1e9",
             "1073741823", "1073741824", "", "  ", "0x10", "nan", "inf", "-0", "2.5e3"]
    return {"rate_%02d.txt" % n: text.encode() for n, text in enumerate(texts)}


def main():
    root = pathlib.Path(__file__).resolve().parent / "corpus"
    for target, seeds in (("sac_path", seeds_sac_path()), ("play_rate", seeds_play_rate()),
                          ("mseed_path", seeds_mseed_path())):
        folder = root / target
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        for name, data in seeds.items():
            (folder / name).write_bytes(data)


if __name__ == "__main__":
    main()
