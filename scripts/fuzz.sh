#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets (the fuzz preset, clang-14) and runs each one
# for SECONDS (60 by default) on a scratch copy of its seed corpus, so the
# committed corpus is never written to. Any finding fails the run; its input
# is kept under build/fuzz/findings/TARGET for turning into a regression file
# (fuzz/regressions/TARGET), which the normal test suite then replays.
set -euo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake --preset fuzz "${launcher[@]}" >/dev/null
cmake --build --preset fuzz

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tremorline-fuzz-run.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

status=0
for binary in build/fuzz/fuzz/fuzz_*; do
    target=${binary##*/fuzz_}
    corpus="$scratch/$target/corpus"
    artifacts="$scratch/$target/artifacts"
    mkdir -p "$corpus" "$artifacts"
    cp -R "fuzz/corpus/$target/." "$corpus/"
    echo "=== fuzz: $target, ${seconds} s"
    if "$binary" "$corpus" -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=1024 \
        -timeout=5 -print_final_stats=1 -artifact_prefix="$artifacts/" \
        >"$scratch/$target/log" 2>&1; then
        grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb)' \
            "$scratch/$target/log" || true
    else
        status=1
        tail -n 60 "$scratch/$target/log"
        mkdir -p "build/fuzz/findings/$target"
        cp -R "$artifacts/." "build/fuzz/findings/$target/"
        echo "=== fuzz: $target found a fault; its input is in build/fuzz/findings/$target"
    fi
done
exit $status
