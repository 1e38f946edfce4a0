#!/bin/sh
# SPDX-License-Identifier: MIT
# Sound benchmark: how long starting a play of a 100-million-sample image
# holds the window's thread (beside building the image), what a play adds to
# memory, and how much of one core converting a play to a 44100 Hz output
# takes. Not a test: run it by hand on a quiet machine.
#
#   bench/bench_sound.sh [SAMPLES] [RUNS]
#
# Builds Release benchmark programs in build/bench-sound, measures the
# conversion on its own, then starts plays into a null sink of a sound server
# of its own (the audio test's), 44100 Hz.
set -eu

SAMPLES=${1:-100000000}
RUNS=${2:-5}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/bench-sound"

LAUNCHER=
command -v ccache >/dev/null && LAUNCHER=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release $LAUNCHER \
    -DTREMORLINE_BUILD_TESTS=OFF -DTREMORLINE_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD" -j2 --target bench_resample bench_play_start >/dev/null

echo "== converting to 44100 Hz, CPU time per second of sound"
"$BUILD/bench/sound/bench_resample"
echo
echo "== starting a play of $SAMPLES samples ($RUNS runs each)"
bash "$ROOT/tests/app/audio_e2e.sh" --with-sink 44100 \
    "$BUILD/bench/sound/bench_play_start" "$SAMPLES" "$RUNS"
