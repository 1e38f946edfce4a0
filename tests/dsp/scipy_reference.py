#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Reference Butterworth filtering for the filter tests, computed with SciPy.

Usage: scipy_reference.py INPUT OUTPUT_PREFIX CASE...

INPUT holds little-endian doubles; each CASE is KIND:CORNERS:LOW:HIGH:RATE
(KIND lowpass, highpass or bandpass; an unused corner is 0). For case i,
OUTPUT_PREFIX.i is written as little-endian doubles: the section count, the
sections (b0 b1 b2 a0 a1 a2 each), then the samples less their mean filtered
once, then the same filtered again over the reversed result and reversed
back. Exits 77 when SciPy is missing, so the test can skip.
"""
import sys

try:
    import numpy as np
    from scipy import signal
except ImportError:
    sys.exit(77)


def main():
    source, prefix, cases = sys.argv[1], sys.argv[2], sys.argv[3:]
    samples = np.fromfile(source, dtype="<f8")
    samples = samples - samples.mean()
    for index, case in enumerate(cases):
        kind, corners, low, high, rate = case.split(":")
        nyquist = 0.5 * float(rate)
        corners = int(corners)
        if kind == "bandpass":
            wn = [float(low) / nyquist, float(high) / nyquist]
        elif kind == "highpass":
            wn = float(low) / nyquist
        else:
            wn = float(high) / nyquist
        sos = signal.butter(corners, wn, btype=kind, output="sos")
        once = signal.sosfilt(sos, samples)
        twice = signal.sosfilt(sos, once[::-1])[::-1]
        out = np.concatenate(([len(sos)], sos.ravel(), once, twice))
        out.astype("<f8").tofile("%s.%d" % (prefix, index))


main()
