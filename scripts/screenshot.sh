#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Retakes docs/screenshot.png: the main window on the sample trace with the
# waveform window open, on a virtual X screen, started from a scratch folder
# so that no path of this machine shows.
#
# Usage: scripts/screenshot.sh [BUILD]   (default: build/dev, configured)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/dev}
cmake "$build" -DTREMORLINE_BUILD_SCREENSHOT=ON >/dev/null
cmake --build "$build" --target window_screenshot >/dev/null
"$root/scripts/make_sample.sh"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$root/sample/COLA.LHZ.sac" "$scratch/"
cd "$scratch"
xvfb-run -a -s "-screen 0 1600x900x24" \
    "$build/docs/screenshot/window_screenshot" COLA.LHZ.sac "$scratch/shot.png"
cp "$scratch/shot.png" "$root/docs/screenshot.png"
echo "docs/screenshot.png retaken"
