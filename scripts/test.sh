#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs every test: once with warnings as
# errors, once under AddressSanitizer and UndefinedBehaviorSanitizer; then
# runs each fuzz target for a minute (scripts/fuzz.sh). Then a fresh clone of
# the committed project, with nothing beside it, must configure and pass its
# core tests.
#
# The tests on the real SAC files written by other programs run where those
# files are found: ../shared/testdata beside the project, or the folder named
# by the TREMORLINE_TESTDATA_DIR environment variable. Without them those
# tests are reported as one skipped test.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh

options=()
if [ -n "${TREMORLINE_TESTDATA_DIR:-}" ]; then
    options+=("-DTREMORLINE_TESTDATA_DIR=$TREMORLINE_TESTDATA_DIR")
fi

status=0
for preset in ci asan; do
    echo "=== $preset: build"
    cmake --preset "$preset" "${options[@]}" >/dev/null
    cmake --build --preset "$preset"
    echo "=== $preset: tests"
    ctest --preset "$preset" || status=1
done
echo "=== fuzz"
scripts/fuzz.sh 60 || status=1
echo "=== fresh clone"
scripts/fresh_clone_test.sh || status=1
exit $status
