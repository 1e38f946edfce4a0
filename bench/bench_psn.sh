#!/bin/sh
# SPDX-License-Identifier: MIT
# PSN benchmark: tremorline-cli psn against a plain read-swap-write baseline
# on a big-endian trace of 100 million samples (400 MB). Not a test: run it
# by hand on a quiet machine.
#
#   bench/bench_psn.sh [SAMPLES] [RUNS]
#
# Builds a Release tremorline-cli in build/bench-psn, makes the trace in
# /tmp, times each program RUNS times (best run counts) with /usr/bin/time,
# prints both figures and the ratios, and deletes the big files afterwards.
# The baseline runs twice: plain, and with fsync, since the tool makes its
# file durable before renaming it into place.
set -eu

SAMPLES=${1:-100000000}
RUNS=${2:-3}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/bench-psn"
WORK=$(mktemp -d /tmp/tremorline-bench-psn.XXXXXX)
trap 'rm -rf "$WORK"' EXIT INT TERM

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTREMORLINE_BUILD_APP=OFF -DTREMORLINE_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j2 --target tremorline-cli >/dev/null
c++ -std=c++20 -O2 -o "$BUILD/make_big_sac" "$ROOT/bench/psn/make_big_sac.cpp"
c++ -std=c++20 -O2 -o "$BUILD/baseline" "$ROOT/bench/psn/baseline.cpp"

TRACE="$WORK/big.sac"
"$BUILD/make_big_sac" "$TRACE" "$SAMPLES"
TRACE_BYTES=$(stat -c %s "$TRACE")
echo "trace: $SAMPLES samples, $TRACE_BYTES bytes, big-endian"

. "$ROOT/bench/measure.sh"

mkdir -p "$WORK/out"
cat "$TRACE" >/dev/null  # both start with the trace in the page cache
measure baseline "$BUILD/baseline" "$TRACE" "$WORK/out/baseline.bin"
measure baseline+fsync "$BUILD/baseline" "$TRACE" "$WORK/out/baseline.bin" --fsync
measure tremorline-cli "$BUILD/src/cli/tremorline-cli" psn --force --output-dir "$WORK/out" "$TRACE"

awk -v file="$TRACE_BYTES" '
    { t[$1] = $2; m[$1] = $3 }
    END {
        printf "time   tremorline-cli / baseline        %.2fx (target <= 1.25x)\n", t["tremorline-cli"] / t["baseline"]
        printf "time   tremorline-cli / baseline+fsync  %.2fx\n", t["tremorline-cli"] / t["baseline+fsync"]
        printf "memory tremorline-cli peak RSS / file   %.3fx (target < 1.1x)\n", m["tremorline-cli"] * 1024 / file
        printf "memory baseline peak RSS / file         %.3fx\n", m["baseline"] * 1024 / file
    }' "$WORK/results.txt"
