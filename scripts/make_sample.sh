#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the bundled sample trace from real data: Debian's libmseed-doc ships
# an example miniSEED record (IU.COLA, channel LHZ, 4200 samples at 1 Hz from
# 2010-02-27 06:50 UTC: the surface waves of the Mw 8.8 Maule, Chile
# earthquake). mseed2sac converts it, given the station's coordinates and the
# event, once little-endian and once big-endian.
#
# Usage: make_sample.sh [FOLDER]   (default: sample/ in the project)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/sample}
record=/usr/share/doc/libmseed-dev/examples/test.mseed
little=$out/COLA.LHZ.sac
big=$out/COLA.LHZ.big-endian.sac

if [ -s "$little" ] && [ -s "$big" ]; then
    exit 0
fi
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! command -v mseed2sac >/dev/null; then
    echo "make_sample.sh: mseed2sac is missing; scripts/setup.sh installs it." >&2
    exit 1
fi
if [ ! -s "$record" ]; then
    # Some images leave out /usr/share/doc even for installed packages: take
    # the record straight from the package.
    (cd "$work" && apt-get download libmseed-doc >/dev/null 2>&1 &&
        dpkg-deb -x libmseed-doc_*.deb pkg) ||
        { echo "make_sample.sh: cannot get $record from libmseed-doc" >&2; exit 1; }
    record=$(find "$work/pkg" -name test.mseed | head -n 1)
    [ -s "$record" ] || { echo "make_sample.sh: libmseed-doc has no test.mseed" >&2; exit 1; }
fi

station=64.8736/-147.8616
# Origin 2010-02-27 (day 58) 06:34:11.53 UTC, 36.122 S, 72.898 W, 22.9 km deep.
event=2010,058,06:34:11.53/-36.122/-72.898/22.9/Maule

log=$work/mseed2sac.log
(cd "$work" && mkdir le be &&
    (cd le && mseed2sac -f 3 -k "$station" -E "$event" "$record") &&
    (cd be && mseed2sac -f 4 -k "$station" -E "$event" "$record")) >"$log" 2>&1 ||
    { cat "$log" >&2; echo "make_sample.sh: mseed2sac failed" >&2; exit 1; }
mv "$work"/le/*.SAC "$little"
mv "$work"/be/*.SAC "$big"
echo "Sample trace: $little (and $big)"
