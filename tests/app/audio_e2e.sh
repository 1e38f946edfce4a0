#!/bin/bash
# Plays a trace through the real sound player into a sound server of its own
# with a null sink, records the sink's monitor and compares (the comparison
# is the player program's). Exit 77 (skipped) only when the server cannot
# start here.
#
#   audio_e2e.sh PLAYER_PROGRAM SAC_FILE [RATE]
set -u

player=$1
trace=$2
rate=${3:-44100}
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
cleanup() {
    if [ -n "$silence_pid" ]; then
        kill "$silence_pid" 2>/dev/null
        wait "$silence_pid" 2>/dev/null
    fi
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null
        wait "$server_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -m 700 "$work/run" "$work/home" "$work/state"
export XDG_RUNTIME_DIR=$work/run
export PULSE_RUNTIME_PATH=$work/run
export PULSE_STATE_PATH=$work/state
export HOME=$work/home
export PULSE_SERVER=unix:$work/run/native
unset DISPLAY

# No server yet: the player must stay silent, and alive, without an output.
PULSE_SERVER=unix:$work/run/none QT_QPA_PLATFORM=offscreen "$player" --silent "$rate" ||
    exit 1

# The sink takes the trace's format as it is, so nothing is resampled or mixed.
pulseaudio --daemonize=no --system=false --exit-idle-time=-1 --disallow-exit \
    --use-pid-file=false -n --log-target="file:$work/server.log" \
    --load="module-null-sink sink_name=$sink format=s16le rate=$rate channels=1 norewinds=1" \
    --load="module-native-protocol-unix socket=$work/run/native auth-anonymous=1" &
server_pid=$!

for _ in $(seq 100); do
    if ! kill -0 "$server_pid" 2>/dev/null; then
        tail -n 5 "$work/server.log" 2>/dev/null
        server_pid=
        skip "the sound server could not start here"
    fi
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
pactl info >/dev/null 2>&1 || skip "the sound server did not answer"

# A null sink renders, and its monitor records, only while something plays
# into it: a stream of zeros keeps it running, so the recording holds the
# player's sound from its first sample. Zeros add nothing to the mix.
pacat --playback --device="$sink" --raw --format=s16le --channels=1 --rate="$rate" \
    </dev/zero &
silence_pid=$!

QT_QPA_PLATFORM=offscreen "$player" --silent 0 &&
    QT_QPA_PLATFORM=offscreen "$player" "$trace" "$rate" "$sink.monitor"
status=$?
if [ "$status" -ne 0 ]; then
    echo "--- sound server log"
    tail -n 20 "$work/server.log"
fi
exit "$status"
