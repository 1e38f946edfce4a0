#!/bin/bash
# SPDX-License-Identifier: MIT
# Checks the desktop entry and the SAC file type as a desktop sees them: the
# entry passes desktop-file-validate without a remark, and the file type,
# installed into a MIME database of its own, gives SAC traces in both byte
# orders under traditional names while other files keep their own types.
#
#   desktop_files_test.sh DATA_FOLDER LITTLE_ENDIAN_SAC BIG_ENDIAN_SAC
set -u

data=$1
little=$2
big=$3

skip() {
    echo "SKIP: $*"
    exit 77
}
command -v desktop-file-validate >/dev/null || skip "desktop-file-validate is not installed"
command -v update-mime-database >/dev/null || skip "update-mime-database is not installed"
command -v gio >/dev/null || skip "gio (libglib2.0-bin) is not installed"
[ -d /usr/share/mime/packages ] || skip "shared-mime-info's own types are not installed"

status=0
fail() {
    echo "FAIL: $*"
    status=1
}

# desktop-file-validate also prints hints, which are problems too.
remarks=$(desktop-file-validate "$data/tremorline.desktop" 2>&1)
[ -z "$remarks" ] || fail "desktop-file-validate: $remarks"
grep -qx 'Categories=Science;Geoscience;' "$data/tremorline.desktop" ||
    fail "the entry's categories are not Science;Geoscience;"

work=$(mktemp -d "${TMPDIR:-/tmp}/tremorline-mime-XXXXXX")
trap 'rm -rf "$work"' EXIT
# The system's types and ours, in a database only this test reads.
mkdir -p "$work/share/mime/packages" "$work/files" "$work/home"
cp /usr/share/mime/packages/*.xml "$data/tremorline-sac.xml" "$work/share/mime/packages/"
update-mime-database "$work/share/mime" >/dev/null 2>&1 || fail "update-mime-database failed"

type_of() {
    XDG_DATA_DIRS="$work/share" XDG_DATA_HOME="$work/home" \
        gio info -a standard::content-type "$1" 2>/dev/null |
        sed -n 's/^ *standard::content-type: //p'
}
expect() {
    local name=$1 wanted=$2 found
    found=$(type_of "$work/files/$name")
    [ "$found" = "$wanted" ] || fail "$name is $found, not $wanted"
}

# SAC traces: by extension, by content alone, and by content where another
# type claims the name.
for name in COLA.LHZ.sac COLA.LHZ.SAC ANMO.BHZ sta.z STA.Z sta.e sta.t COLA.LHZ test.sac.swap; do
    cp "$little" "$work/files/$name"
    expect "$name" application/x-sac
    cp "$big" "$work/files/$name"
    expect "$name" application/x-sac
done

# Other files under the same names keep their types.
printf '\037\235\220compressed' >"$work/files/archive.Z"
expect archive.Z application/x-compress
printf '[Swap]\nWhat=/dev/sda2\n' >"$work/files/dev-sda2.swap"
expect dev-sda2.swap text/x-systemd-unit
printf '#!/usr/bin/perl\nprint "ok\\n";\n' >"$work/files/basic.t"
expect basic.t application/x-perl
# A binary file with no name to go by is no trace, nor is one whose version
# word is right but whose day of the year is not.
head -c 1024 /dev/zero >"$work/files/zeros"
expect zeros application/octet-stream
cp "$little" "$work/files/bad-day"
printf '\377\377\377\377' | dd of="$work/files/bad-day" bs=1 seek=284 conv=notrunc 2>/dev/null
expect bad-day application/octet-stream

exit $status
