#!/bin/sh
# SPDX-License-Identifier: MIT
# Spectrogram benchmark: on a big-endian trace of 100 million samples
# (400 MB), times building the spectrogram of a day of it and of the whole,
# and computing and drawing views of each; then `tremorline-cli plot
# --spectrogram --window 2.56 --overlap 0.5` against plain_spectrogram, a
# plain program that streams the samples through the same Hann-windowed
# KissFFT transforms with the same window and hop, keeps the power per
# column and writes the image, taking turns, with the peak memory of each.
# Not a test: run it by hand on a quiet machine.
#
#   bench/bench_spectrogram.sh [SAMPLES] [RUNS]
#
# Builds in build/bench-spectrogram, makes the trace in /tmp, runs with the
# trace in the page cache, and deletes the trace afterwards.
set -eu

SAMPLES=${1:-100000000}
RUNS=${2:-3}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/bench-spectrogram"
WORK=$(mktemp -d /tmp/tremorline-bench-spectrogram.XXXXXX)
trap 'rm -rf "$WORK"' EXIT INT TERM

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTREMORLINE_BUILD_APP=OFF -DTREMORLINE_BUILD_TESTS=OFF -DTREMORLINE_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD" -j2 --target spectrogram_bench plain_spectrogram tremorline-cli >/dev/null
c++ -std=c++20 -O2 -o "$BUILD/make_big_sac" "$ROOT/bench/psn/make_big_sac.cpp"

TRACE="$WORK/big.sac"
"$BUILD/make_big_sac" "$TRACE" "$SAMPLES"
cat "$TRACE" >/dev/null  # every figure starts with the trace in the page cache
echo "load: $(cut -d" " -f1-3 /proc/loadavg) on $(nproc) cores"
"$BUILD/bench/spectrogram/spectrogram_bench" "$TRACE" "$RUNS"

# The same window (2.56 s at 100 samples a second: 256 samples) and hop
# (half a window: 128) for both; the plain program's image is the panel's
# colour area of a 1600x800 picture.
now() { date +%s%N; }
# Runs a command, prints its wall time in ns, peak memory in KiB and
# processor time (user plus system) in seconds: on a busy machine the last
# is the steadier measure of the work done.
timed() {
    start=$(now)
    /usr/bin/time -f "%M %U %S" -o "$WORK/rss" "$@" >/dev/null 2>&1
    end=$(now)
    set -- $(cat "$WORK/rss")
    echo "$(( end - start )) $1 $(awk -v u="$2" -v s="$3" 'BEGIN { print u + s }')"
}
# Both as they run (the tool transforms on every core), then both held to one
# core, so the second line compares the work itself.
compare() {
    label=$1
    prefix=$2  # words run before each program
    best_cli=0
    best_plain=0
    best_cli_cpu=
    best_plain_cpu=
    run=0
    while [ "$run" -lt "$RUNS" ]; do
        set -- $(timed $prefix "$BUILD/src/cli/tremorline-cli" plot "$TRACE" --spectrogram \
            --window 2.56 --overlap 0.5 --output-dir "$WORK")
        cli=$1
        cli_rss=$2
        cli_cpu=$3
        set -- $(timed $prefix "$BUILD/bench/spectrogram/plain_spectrogram" "$TRACE" \
            "$WORK/plain.png" 256 128)
        plain=$1
        plain_rss=$2
        plain_cpu=$3
        if [ "$best_cli" -eq 0 ] || [ "$cli" -lt "$best_cli" ]; then best_cli=$cli; fi
        if [ "$best_plain" -eq 0 ] || [ "$plain" -lt "$best_plain" ]; then best_plain=$plain; fi
        if [ -z "${best_cli_cpu:-}" ] || awk -v a="$cli_cpu" -v b="$best_cli_cpu" 'BEGIN { exit !(a < b) }'; then
            best_cli_cpu=$cli_cpu
        fi
        if [ -z "${best_plain_cpu:-}" ] || awk -v a="$plain_cpu" -v b="$best_plain_cpu" 'BEGIN { exit !(a < b) }'; then
            best_plain_cpu=$plain_cpu
        fi
        run=$((run + 1))
    done
    test -s "$WORK/big.png"
    test -s "$WORK/plain.png"
    awk -v label="$label" -v cli="$best_cli" -v plain="$best_plain" -v crss="$cli_rss" \
        -v prss="$plain_rss" -v ccpu="$best_cli_cpu" -v pcpu="$best_plain_cpu" 'BEGIN {
        printf "%s: tremorline-cli %.3f s (peak %.0f MB), plain program %.3f s (peak %.0f MB), ratio %.2f x\n",
            label, cli / 1e9, crss / 1024, plain / 1e9, prss / 1024, cli / plain
        printf "    processor time: tremorline-cli %.2f s, plain program %.2f s, ratio %.2f x\n",
            ccpu, pcpu, ccpu / pcpu }'
}
compare "as they run" ""
if command -v taskset >/dev/null; then
    compare "one core" "taskset -c 0"
fi
