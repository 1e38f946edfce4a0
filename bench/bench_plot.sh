#!/bin/sh
# SPDX-License-Identifier: MIT
# Drawing benchmark: on a big-endian trace of 100 million samples (400 MB),
# times reading the samples, building the min/max summary, redrawing the
# full, 1 % and one-second views at 1600 x 500, and the whole PNG against a
# plain read-scan-draw program in the same process; then `tremorline-cli
# plot` against plain_plot, a separate plain program that reads the samples,
# takes every column's min/max and writes the PNG, taking turns. Not a test:
# run it by hand on a quiet machine.
#
#   bench/bench_plot.sh [SAMPLES] [RUNS]
#
# Builds a Release plot_bench in build/bench-plot, makes the trace in /tmp,
# runs it with the trace in the page cache, and deletes the trace afterwards.
set -eu

SAMPLES=${1:-100000000}
RUNS=${2:-3}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/bench-plot"
WORK=$(mktemp -d /tmp/tremorline-bench-plot.XXXXXX)
trap 'rm -rf "$WORK"' EXIT INT TERM

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTREMORLINE_BUILD_APP=OFF -DTREMORLINE_BUILD_TESTS=OFF -DTREMORLINE_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD" -j2 --target plot_bench plain_plot tremorline-cli >/dev/null
c++ -std=c++20 -O2 -o "$BUILD/make_big_sac" "$ROOT/bench/psn/make_big_sac.cpp"

TRACE="$WORK/big.sac"
"$BUILD/make_big_sac" "$TRACE" "$SAMPLES"
cat "$TRACE" >/dev/null  # every figure starts with the trace in the page cache
echo "load: $(cut -d" " -f1-3 /proc/loadavg) on $(nproc) cores"
"$BUILD/bench/plot/plot_bench" "$TRACE" "$RUNS"

# tremorline-cli plot against the plain program, both as processes on the
# same trace, taking turns RUNS times; the best of each counts.
now() { date +%s%N; }
best_cli=0
best_plain=0
run=0
while [ "$run" -lt "$RUNS" ]; do
    start=$(now)
    "$BUILD/src/cli/tremorline-cli" plot "$TRACE" --output-dir "$WORK" >/dev/null 2>&1
    cli=$(( $(now) - start ))
    start=$(now)
    "$BUILD/bench/plot/plain_plot" "$TRACE" "$WORK/plain.png"
    plain=$(( $(now) - start ))
    if [ "$best_cli" -eq 0 ] || [ "$cli" -lt "$best_cli" ]; then best_cli=$cli; fi
    if [ "$best_plain" -eq 0 ] || [ "$plain" -lt "$best_plain" ]; then best_plain=$plain; fi
    run=$((run + 1))
done
test -s "$WORK/big.png"
awk -v cli="$best_cli" -v plain="$best_plain" 'BEGIN {
    printf "tremorline-cli plot: %.3f s   plain program: %.3f s   ratio %.2f x\n",
        cli / 1e9, plain / 1e9, cli / plain }'
