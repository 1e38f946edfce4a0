#!/bin/bash
# SPDX-License-Identifier: MIT
# Plays through the real sound player into sound servers of its own, each
# with one null sink, records the sinks' monitors and compares (the
# comparisons are the player program's). Exit 77 (skipped) only when no
# server can start here.
#
#   audio_e2e.sh PLAYER_PROGRAM [SAC_FILE]
#       the player's checks: without a server, then into a 44100 Hz and an
#       8000 Hz sink, then long and short sounds into a sink that rewinds;
#       SAC_FILE, when given, is also heard bit for bit
#   audio_e2e.sh --with-sink RATE COMMAND...
#       runs COMMAND against a server whose only output is a RATE Hz sink
set -u

sink=tremorline_e2e

skip() {
    echo "SKIP: $*"
    exit 77
}

command -v pulseaudio >/dev/null || skip "pulseaudio is not installed"
command -v parec >/dev/null || skip "parec (pulseaudio-utils) is not installed"
command -v pactl >/dev/null || skip "pactl (pulseaudio-utils) is not installed"

work=$(mktemp -d "${TMPDIR:-/tmp}/tremorline-audio-XXXXXX")
server_pid=
silence_pid=
stop_server() {
    if [ -n "$silence_pid" ]; then
        kill "$silence_pid" 2>/dev/null
        wait "$silence_pid" 2>/dev/null
        silence_pid=
    fi
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null
        wait "$server_pid" 2>/dev/null
        server_pid=
    fi
}
cleanup() {
    stop_server
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -m 700 "$work/home"
export HOME=$work/home
export QT_QPA_PLATFORM=offscreen
unset DISPLAY

# start_server RATE [rewinds]: a server of its own whose only output is a
# null sink at RATE Hz, 16-bit mono, so that nothing is resampled or mixed on
# the way to the monitor. The sink never takes back what it has rendered
# unless "rewinds" is given: then, as a desktop's sink does, it renders ahead
# and takes back what a stream that goes away had not yet played. Skips the
# whole test when it cannot start.
start_server() {
    local rate=$1 dir=$work/server-$1-${2:-norewinds}
    local rewinds=norewinds=1
    [ "${2:-}" = rewinds ] && rewinds=
    mkdir -m 700 -p "$dir/run" "$dir/state"
    export XDG_RUNTIME_DIR=$dir/run
    export PULSE_RUNTIME_PATH=$dir/run
    export PULSE_STATE_PATH=$dir/state
    export PULSE_SERVER=unix:$dir/run/native
    pulseaudio --daemonize=no --system=false --exit-idle-time=-1 --disallow-exit \
        --use-pid-file=false -n --log-target="file:$dir/server.log" \
        --load="module-null-sink sink_name=$sink format=s16le rate=$rate channels=1 $rewinds" \
        --load="module-native-protocol-unix socket=$dir/run/native auth-anonymous=1" &
    server_pid=$!
    server_log=$dir/server.log
    for _ in $(seq 100); do
        if ! kill -0 "$server_pid" 2>/dev/null; then
            tail -n 5 "$server_log" 2>/dev/null
            server_pid=
            skip "the sound server could not start here"
        fi
        pactl info >/dev/null 2>&1 && break
        sleep 0.1
    done
    pactl info >/dev/null 2>&1 || skip "the sound server did not answer"
    # A null sink renders, and its monitor records, only while something
    # plays into it: a stream of zeros keeps it running, so a recording holds
    # each sound from its first sample. Zeros add nothing to the mix.
    pacat --playback --device="$sink" --raw --format=s16le --channels=1 --rate="$rate" \
        </dev/zero &
    silence_pid=$!
}

# run WHAT COMMAND...: runs a check, and shows the server's log when it fails.
status=0
run() {
    local what=$1
    shift
    echo "--- $what"
    "$@"
    local result=$?
    if [ "$result" -ne 0 ]; then
        echo "--- $what failed ($result); sound server log:"
        tail -n 20 "$server_log" 2>/dev/null
        [ "$result" -gt "$status" ] && status=$result
    fi
}

if [ "${1:-}" = "--with-sink" ]; then
    rate=$2
    shift 2
    start_server "$rate"
    run "$*" "$@"
    exit "$status"
fi

player=$1
trace=${2:-}

# No server at all: the player stays silent, and alive, and says why.
server_log=/dev/null
run "no sound server" env PULSE_SERVER="unix:$work/none" "$player" --no-output
run "unplayable images" env PULSE_SERVER="unix:$work/none" "$player" --silent

for rate in 44100 8000; do
    start_server "$rate"
    run "every rate into a $rate Hz sink" "$player" --rates "$sink.monitor"
    if [ "$rate" = 44100 ]; then
        run "Stop Sound" "$player" --stop "$sink.monitor"
        if [ -n "$trace" ]; then
            run "a real trace at 44100 Hz" "$player" "$trace" 44100 "$sink.monitor"
        fi
    fi
    stop_server
done

# Sounds long and short on a sink that rewinds, with another stream playing.
start_server 48000 rewinds
run "whole sounds on a running sink that rewinds" "$player" --whole "$sink.monitor"
stop_server
exit "$status"
