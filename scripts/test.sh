#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once with warnings as
# errors, once under AddressSanitizer and UndefinedBehaviorSanitizer; then
# runs each fuzz target for a minute (scripts/fuzz.sh).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh

status=0
for preset in ci asan; do
    echo "=== $preset: build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    echo "=== $preset: tests"
    ctest --preset "$preset" || status=1
done
echo "=== fuzz"
scripts/fuzz.sh 60 || status=1
exit $status
