#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The filtering benchmark's baseline: SciPy filters a SAC file as
tremorline-cli sac --filter local does (4 corners, zero phase), written the
plain way: numpy.fromfile, the mean off, sosfilt forward and over the
reversed result, the header copied, the samples written in the file's order.

Usage: scipy_filter.py INPUT OUTPUT
"""
import sys

import numpy as np
from scipy import signal


def main():
    source, target = sys.argv[1], sys.argv[2]
    header = np.fromfile(source, dtype=np.uint8, count=632)
    nzjday = header[284:288].view("<i4")[0]
    order = "<" if 1 <= nzjday <= 366 else ">"
    delta = float(header[0:4].view(order + "f4")[0])
    samples = np.fromfile(source, dtype=order + "f4", offset=632).astype(np.float64)
    samples -= samples.mean()
    nyquist = 0.5 / delta
    sos = signal.butter(4, [1.0 / nyquist, 10.0 / nyquist], btype="bandpass", output="sos")
    once = signal.sosfilt(sos, samples)
    twice = signal.sosfilt(sos, once[::-1])[::-1]
    with open(target, "wb") as out:
        out.write(header.tobytes())
        twice.astype(order + "f4").tofile(out)


main()
