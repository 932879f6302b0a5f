#!/bin/sh
# End to end over a real MIDI server: a private JACK server (dummy backend,
# synchronous mode so no message is dropped), the virtual keyboard on JACK
# ports, and the command-line front end finding and identifying it.
#   identify_over_jack.sh CLI KEYBOARD
set -u
CLI=$1
KEYBOARD=$2
MODEL=PRV-1200

if ! command -v jackd >/dev/null 2>&1; then
    echo "jackd is not installed (package jackd2)" >&2
    exit 1
fi

WORK=$(mktemp -d)
SERVER="toneharbour-e2e-$$"
export JACK_DEFAULT_SERVER="$SERVER"
export JACK_NO_AUDIO_RESERVATION=1
export JACK_NO_START_SERVER=1
JACK_PID=""
KEYBOARD_PID=""

cleanup() {
    [ -n "$KEYBOARD_PID" ] && kill "$KEYBOARD_PID" 2>/dev/null && wait "$KEYBOARD_PID" 2>/dev/null
    [ -n "$JACK_PID" ] && kill "$JACK_PID" 2>/dev/null && wait "$JACK_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

fail() {
    echo "FAIL: $*" >&2
    for log in "$WORK"/*.log; do
        echo "--- $log" >&2
        tail -n 20 "$log" >&2
    done
    exit 1
}

jackd --no-realtime -S -n "$SERVER" -d dummy -r 48000 -p 64 >"$WORK/jackd.log" 2>&1 &
JACK_PID=$!
jack_wait -w -t 20 >"$WORK/jack_wait.log" 2>&1 || fail "the JACK server did not start"

"$KEYBOARD" --model "$MODEL" --state "$WORK/state" >"$WORK/keyboard.log" 2>&1 &
KEYBOARD_PID=$!
# It says READY once its ports are open.
tries=0
until grep -q '^READY$' "$WORK/keyboard.log" 2>/dev/null; do
    tries=$((tries + 1))
    [ "$tries" -le 100 ] || fail "the virtual keyboard did not get ready"
    kill -0 "$KEYBOARD_PID" 2>/dev/null || fail "the virtual keyboard stopped"
    sleep 0.1
done

"$CLI" ports >"$WORK/ports.log" 2>&1 || fail "ports failed"
grep -i "jack" "$WORK/ports.log" | grep -i "virtual keyboard" | grep -qi "yes" ||
    fail "ports does not list the keyboard's ports as candidates"

"$CLI" identify >"$WORK/identify.log" 2>&1 || fail "identify failed with status $?"
[ "$(head -n 1 "$WORK/identify.log")" = "$MODEL" ] || fail "identify did not print $MODEL"

echo "identified $MODEL over JACK"
