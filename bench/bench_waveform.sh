#!/bin/sh
# SPDX-License-Identifier: MIT
# Waveform window benchmark: on a big-endian trace of 100 million samples
# (400 MB), times dragging a selection, Left/Right, Page Up/Page Down and the
# scroll bar in the real window (offscreen), each step's event and repaint
# together. Not a test: run it by hand on a quiet machine.
#
#   bench/bench_waveform.sh [SAMPLES] [STEPS]
#
# Builds a Release waveform_bench in build/bench-waveform, makes the trace in
# /tmp, runs it with the trace in the page cache, and deletes the trace.
set -eu

SAMPLES=${1:-100000000}
STEPS=${2:-41}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/bench-waveform"
WORK=$(mktemp -d /tmp/tremorline-bench-waveform.XXXXXX)
trap 'rm -rf "$WORK"' EXIT INT TERM

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTREMORLINE_BUILD_TESTS=OFF -DTREMORLINE_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD" -j2 --target waveform_bench >/dev/null
c++ -std=c++20 -O2 -o "$BUILD/make_big_sac" "$ROOT/bench/psn/make_big_sac.cpp"

TRACE="$WORK/big.sac"
"$BUILD/make_big_sac" "$TRACE" "$SAMPLES"
cat "$TRACE" >/dev/null
echo "load: $(cut -d" " -f1-3 /proc/loadavg) on $(nproc) cores"
"$BUILD/bench/waveform/waveform_bench" "$TRACE" "$STEPS"
