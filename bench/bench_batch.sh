#!/bin/sh
# SPDX-License-Identifier: MIT
# Batch benchmark. Not a test: run it by hand on a quiet machine.
#
#   bench/bench_batch.sh [SAMPLES] [RUNS]
#
# 1. psn and wav of one big-endian trace of SAMPLES samples (100 million,
#    400 MB, by default) against the durable floor (bench/batch/
#    durable_floor.cpp: read, convert, write, fsync, rename), taking turns
#    RUNS times; the best run of each counts. Peak RSS of each.
# 2. wav over 8 traces of 5 million samples with --jobs 1 and --jobs 2, taking
#    turns; the outputs and texts of both must be equal.
# Builds a Release tremorline-cli in build/bench-batch and deletes the
# traces afterwards.
set -eu

SAMPLES=${1:-100000000}
RUNS=${2:-3}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/bench-batch"
WORK=$(mktemp -d /tmp/tremorline-bench-batch.XXXXXX)
trap 'rm -rf "$WORK"' EXIT INT TERM

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTREMORLINE_BUILD_APP=OFF -DTREMORLINE_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j2 --target tremorline-cli >/dev/null
c++ -std=c++20 -O2 -o "$BUILD/make_big_sac" "$ROOT/bench/psn/make_big_sac.cpp"
c++ -std=c++20 -O2 -o "$BUILD/durable_floor" "$ROOT/bench/batch/durable_floor.cpp"
CLI="$BUILD/src/cli/tremorline-cli"

TRACE="$WORK/big.sac"
"$BUILD/make_big_sac" "$TRACE" "$SAMPLES"
echo "trace: $SAMPLES samples, $(stat -c %s "$TRACE") bytes; load: $(cut -d" " -f1-3 /proc/loadavg) on $(nproc) cores"
cat "$TRACE" >/dev/null  # every run starts with the trace in the page cache
mkdir -p "$WORK/out"

# timed NAME COMMAND...: appends "NAME seconds peak-kB" to results.
timed() {
    name=$1
    shift
    rm -f "$WORK"/out/*
    sync
    /usr/bin/time -f "%e %M" -o "$WORK/time.txt" "$@" >/dev/null
    echo "$name $(cat "$WORK/time.txt")" >>"$WORK/results.txt"
}

run=0
while [ "$run" -lt "$RUNS" ]; do
    timed psn-floor "$BUILD/durable_floor" psn "$TRACE" "$WORK/out/floor.psn"
    timed psn "$CLI" psn --output-dir "$WORK/out" "$TRACE"
    timed wav-floor "$BUILD/durable_floor" wav "$TRACE" "$WORK/out/floor.wav"
    timed wav "$CLI" wav --rate 8000 --output-dir "$WORK/out" "$TRACE"
    run=$((run + 1))
done
awk '
    { if (!($1 in t) || $2 < t[$1]) { t[$1] = $2; m[$1] = $3 } }
    END {
        for (k = 1; k <= 2; k++) {
            c = k == 1 ? "psn" : "wav"
            printf "%s: %.2f s, %d MiB peak   floor: %.2f s, %d MiB   ratio %.2f x (target <= 1.1)\n",
                c, t[c], m[c] / 1024, t[c "-floor"], m[c "-floor"] / 1024, t[c] / t[c "-floor"]
        }
    }' "$WORK/results.txt"
rm -f "$TRACE"

# --jobs: 8 traces of 5 million samples.
i=0
while [ "$i" -lt 8 ]; do
    "$BUILD/make_big_sac" "$WORK/t$i.sac" 5000000
    i=$((i + 1))
done
cat "$WORK"/t*.sac >/dev/null
mkdir -p "$WORK/j1" "$WORK/j2"
now() { date +%s%N; }
best1=0
best2=0
run=0
while [ "$run" -lt "$RUNS" ]; do
    for jobs in 1 2; do
        rm -f "$WORK/j$jobs"/*
        sync
        start=$(now)
        "$CLI" wav --rate 8000 -j "$jobs" --output-dir "$WORK/j$jobs" "$WORK"/t*.sac \
            >"$WORK/out$jobs.txt" 2>&1
        took=$(( $(now) - start ))
        eval "best=\$best$jobs"
        if [ "$best" -eq 0 ] || [ "$took" -lt "$best" ]; then eval "best$jobs=$took"; fi
    done
    run=$((run + 1))
done
sed "s#$WORK/j1#DIR#" "$WORK/out1.txt" >"$WORK/text1"
sed "s#$WORK/j2#DIR#" "$WORK/out2.txt" >"$WORK/text2"
cmp -s "$WORK/text1" "$WORK/text2" && diff -r "$WORK/j1" "$WORK/j2" >/dev/null &&
    same=yes || same=NO
awk -v a="$best1" -v b="$best2" -v same="$same" 'BEGIN {
    printf "wav, 8 traces of 5e6 samples: -j 1 %.2f s, -j 2 %.2f s, ratio %.2f (target <= 0.67); same outputs and text: %s\n",
        a / 1e9, b / 1e9, b / a, same }'
