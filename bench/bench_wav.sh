#!/bin/sh
# SPDX-License-Identifier: MIT
# WAV benchmark: tremorline-cli wav (Set Up Sound + Save Sound of each trace)
# against a plain read-scale-write baseline, on a big-endian trace of 100
# million samples (400 MB). Not a test: run it by hand on a quiet machine.
#
#   bench/bench_wav.sh [SAMPLES] [RUNS]
#
# Builds a Release tremorline-cli in build/bench-wav, makes the trace in
# /tmp, times each program RUNS times (best run counts) with /usr/bin/time,
# checks that both wrote the same audio, prints both figures and the ratios,
# and deletes the big files afterwards. The baseline runs twice: plain, and
# with fsync, since the tool makes its file durable before renaming it.
set -eu

SAMPLES=${1:-100000000}
RUNS=${2:-3}
RATE=44100
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/bench-wav"
WORK=$(mktemp -d /tmp/tremorline-bench-wav.XXXXXX)
trap 'rm -rf "$WORK"' EXIT INT TERM

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTREMORLINE_BUILD_APP=OFF -DTREMORLINE_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j2 --target tremorline-cli >/dev/null
c++ -std=c++20 -O2 -o "$BUILD/make_big_sac" "$ROOT/bench/psn/make_big_sac.cpp"
c++ -std=c++20 -O2 -o "$BUILD/baseline" "$ROOT/bench/wav/baseline.cpp"

TRACE="$WORK/big.sac"
"$BUILD/make_big_sac" "$TRACE" "$SAMPLES"
echo "trace: $SAMPLES samples, $(stat -c %s "$TRACE") bytes, big-endian"

. "$ROOT/bench/measure.sh"

mkdir -p "$WORK/out"
cat "$TRACE" >/dev/null  # both start with the trace in the page cache
measure baseline "$BUILD/baseline" "$TRACE" "$WORK/out/baseline.wav" "$RATE"
measure baseline+fsync "$BUILD/baseline" "$TRACE" "$WORK/out/baseline.wav" "$RATE" --fsync
"$BUILD/baseline" "$TRACE" "$WORK/baseline.wav" "$RATE"
measure tremorline-cli "$BUILD/src/cli/tremorline-cli" wav --rate "$RATE" --output-dir "$WORK/out" "$TRACE"
if cmp -s "$WORK/baseline.wav" "$WORK/out/big.wav"; then
    echo "output: identical to the baseline's"
else
    echo "output: DIFFERS from the baseline's ($(cmp -l "$WORK/baseline.wav" "$WORK/out/big.wav" | wc -l) bytes)"
fi

# The most memory the tool may use: the samples, the audio samples and one image.
awk -v n="$SAMPLES" '
    { t[$1] = $2; m[$1] = $3 }
    END {
        limit = 4 * n + 2 * n + (2 * n + 44)
        printf "time   tremorline-cli / baseline        %.2fx\n", t["tremorline-cli"] / t["baseline"]
        printf "time   tremorline-cli / baseline+fsync  %.2fx\n", t["tremorline-cli"] / t["baseline+fsync"]
        printf "memory tremorline-cli peak RSS / limit  %.3fx (limit: samples + audio + image, %d MB)\n", m["tremorline-cli"] * 1024 / limit, limit / 1e6
        printf "memory baseline peak RSS / limit        %.3fx\n", m["baseline"] * 1024 / limit
    }' "$WORK/results.txt"
