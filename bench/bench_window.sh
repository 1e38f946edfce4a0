#!/bin/sh
# SPDX-License-Identifier: MIT
# Window benchmark: Set Up Sound, Play Sound, Save Sound and Make PSN on a
# trace of 100 million samples, each timed whole, with the longest time it
# held the window's thread (the mark is 100 ms). Not a test: run it by hand
# on a quiet machine.
#
#   bench/bench_window.sh [SAMPLES]
#
# Builds a Release benchmark program in build/bench-window, makes the trace
# in a scratch folder (its outputs land beside it) and deletes it afterwards.
set -eu

SAMPLES=${1:-100000000}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/bench-window"
WORK=$(mktemp -d /tmp/tremorline-bench-window.XXXXXX)
trap 'rm -rf "$WORK"' EXIT INT TERM

LAUNCHER=
command -v ccache >/dev/null && LAUNCHER=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release $LAUNCHER \
    -DTREMORLINE_BUILD_TESTS=OFF -DTREMORLINE_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD" -j2 --target bench_window_steps >/dev/null
c++ -std=c++20 -O2 -o "$BUILD/make_big_sac" "$ROOT/bench/psn/make_big_sac.cpp"

"$BUILD/make_big_sac" "$WORK/big.sac" "$SAMPLES"
echo "trace: $SAMPLES samples"
# No sound server: Play Sound prepares its image, and is silent.
QT_QPA_PLATFORM=offscreen PULSE_SERVER=unix:/nonexistent/tremorline-bench \
    "$BUILD/bench/window/bench_window_steps" "$WORK/big.sac"
