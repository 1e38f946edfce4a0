#!/usr/bin/env bash
# Installs what is missing, builds Tremorline and opens it on the sample trace.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
scripts/make_sample.sh

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No graphical display is available here (neither DISPLAY nor WAYLAND_DISPLAY is set)."
    echo "Start Tremorline from a desktop session, or under a virtual display with:"
    echo "  xvfb-run -a build/release/src/app/tremorline sample/COLA.LHZ.sac"
    exit 1
fi
exec build/release/src/app/tremorline "$root/sample/COLA.LHZ.sac"
