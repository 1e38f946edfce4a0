#!/bin/bash
# SPDX-License-Identifier: MIT
# --help and --version answer on the terminal and exit, without a display and
# without opening a window (which, with no display, would end in the program's
# no-display message instead).
#
#   command_line_test.sh PROGRAM VERSION
set -u

program=$1
version=$2
status=0
work=$(mktemp -d "${TMPDIR:-/tmp}/tremorline-args-XXXXXX")
trap 'rm -rf "$work"' EXIT

run() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@" \
        >"$work/out" 2>"$work/err"
}
check() {
    local what=$1 code=$2 wanted=$3
    if [ "$code" -ne 0 ]; then
        echo "FAIL: $what exits $code"
        status=1
    fi
    if [ -s "$work/err" ]; then
        echo "FAIL: $what writes to standard error: $(cat "$work/err")"
        status=1
    fi
    if ! grep -qx -- "$wanted" "$work/out"; then
        echo "FAIL: $what does not print '$wanted':"
        cat "$work/out"
        status=1
    fi
}

run --version
check --version $? "tremorline $version"
[ "$(wc -l <"$work/out")" -eq 1 ] || { echo "FAIL: --version prints more than one line"; status=1; }

for option in --help -h; do
    run "$option"
    check "$option" $? "Usage: tremorline \[FILE\]"
    grep -q -- "--version" "$work/out" || { echo "FAIL: $option does not list --version"; status=1; }
    grep -q "SAC or miniSEED" "$work/out" || { echo "FAIL: $option names only one kind of trace"; status=1; }
done

# Any other first argument is still the trace to open: with no display that
# is the no-display message.
run --no-such-option
code=$?
if [ "$code" -eq 0 ] || ! grep -q "no graphical display can be reached" "$work/err"; then
    echo "FAIL: an unknown option was not taken as the trace (status $code)"
    status=1
fi
exit $status
