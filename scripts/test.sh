#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once with warnings as
# errors, once under AddressSanitizer and UndefinedBehaviorSanitizer.
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
exit $status
