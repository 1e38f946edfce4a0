#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds Tremorline and opens it on the sample trace.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
scripts/make_sample.sh

# The program says plainly when it cannot reach a display (status 2).
status=0
build/release/src/app/tremorline "$root/sample/COLA.LHZ.sac" || status=$?
if [ "$status" -eq 2 ]; then
    echo "To see it on a virtual display instead:"
    echo "  xvfb-run -a build/release/src/app/tremorline sample/COLA.LHZ.sac"
fi
exit "$status"
