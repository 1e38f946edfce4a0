#!/bin/sh
# SPDX-License-Identifier: MIT
# Filtering benchmark: tremorline-cli sac --filter local (4 corners, zero
# phase) against SciPy doing the same filtering (numpy.fromfile, sosfilt
# forward and over the reversed result, written), side by side on one
# big-endian trace of 100 million samples at 100 samples a second; then the
# causal filter, which streams, in sac and in wav. Not a test: run it by
# hand on a quiet machine.
#
#   bench/bench_filter.sh [SAMPLES] [RUNS]
#
# Builds a Release tremorline-cli in build/bench-filter, makes the trace in
# /tmp, times each program RUNS times (best run counts) with /usr/bin/time,
# compares the two outputs, prints the figures and the ratios against the
# targets (time at most 0.5x SciPy's; peak memory at most the samples in
# double plus 64 MiB, and 64 MiB when causal), and deletes the big files.
set -eu

SAMPLES=${1:-100000000}
RUNS=${2:-3}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/bench-filter"
WORK=$(mktemp -d /tmp/tremorline-bench-filter.XXXXXX)
trap 'rm -rf "$WORK"' EXIT INT TERM

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTREMORLINE_BUILD_APP=OFF -DTREMORLINE_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j2 --target tremorline-cli >/dev/null
c++ -std=c++20 -O2 -o "$BUILD/make_big_sac" "$ROOT/bench/psn/make_big_sac.cpp"

TRACE="$WORK/big.sac"
"$BUILD/make_big_sac" "$TRACE" "$SAMPLES"
echo "trace: $SAMPLES samples, $(stat -c %s "$TRACE") bytes, big-endian, 100 samples a second"

. "$ROOT/bench/measure.sh"

mkdir -p "$WORK/out"
cat "$TRACE" >/dev/null  # every run starts with the trace in the page cache
measure scipy /usr/bin/python3 "$ROOT/bench/filter/scipy_filter.py" "$TRACE" "$WORK/out/big.sac"
/usr/bin/python3 "$ROOT/bench/filter/scipy_filter.py" "$TRACE" "$WORK/scipy.sac"
measure tremorline-cli "$BUILD/src/cli/tremorline-cli" sac --filter local --output-dir "$WORK/out" "$TRACE"
mkdir -p "$WORK/ours"
"$BUILD/src/cli/tremorline-cli" sac --filter local --output-dir "$WORK/ours" "$TRACE" >/dev/null
/usr/bin/python3 - "$WORK/scipy.sac" "$WORK/ours/big.sac" <<'PY'
import sys, numpy as np
a = np.fromfile(sys.argv[1], dtype=">f4", offset=632).astype(np.float64)
b = np.fromfile(sys.argv[2], dtype=">f4", offset=632).astype(np.float64)
print("output: largest difference %.2e of the peak" % (np.max(np.abs(a - b)) / np.max(np.abs(a))))
PY
rm -rf "$WORK/scipy.sac" "$WORK/ours"
measure causal "$BUILD/src/cli/tremorline-cli" sac --filter local --causal --output-dir "$WORK/out" "$TRACE"
measure wav-causal "$BUILD/src/cli/tremorline-cli" wav --rate 8000 --filter local --causal --force --output-dir "$WORK/out" "$TRACE"

awk -v n="$SAMPLES" '
    { t[$1] = $2; m[$1] = $3 }
    END {
        limit = 8 * n + 64 * 1048576
        printf "time   tremorline-cli / scipy             %.2fx (target 0.5x)\n", t["tremorline-cli"] / t["scipy"]
        printf "memory tremorline-cli peak RSS / limit    %.3fx (limit: samples in double + 64 MiB, %d MB)\n", m["tremorline-cli"] * 1024 / limit, limit / 1e6
        printf "memory causal peak RSS                    %.1f MiB (limit 64 MiB)\n", m["causal"] / 1024
        printf "memory wav --causal peak RSS              %.1f MiB (limit 64 MiB)\n", m["wav-causal"] / 1024
    }' "$WORK/results.txt"
