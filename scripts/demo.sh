#!/bin/sh
# Installs what is missing, builds, and shows the program at work:
#  - finding and identifying a keyboard: the built-in virtual keyboard, then
#    the virtual keyboard program on a private JACK server, found by the same
#    port search a real keyboard goes through;
#  - moving data: listing areas and memory, receiving an item and sending it
#    to another area, a whole-keyboard backup and its restore, a package;
#  - the file layer on sample files the build makes: empty items of three
#    categories, what they hold, and how different keyboard models judge them;
#  - audio for the SD-card player: a WAV converted and put on a card folder.
# The desktop program opens on the same keyboard first: in a window when
# there is a display (the script ends when it is closed), otherwise on a
# virtual X server, where it saves a picture of each of its six tabs under
# build/samples/screenshots/.
set -eu
cd "$(dirname "$0")/.."
JOBS=$(nproc 2>/dev/null || echo 2)

./scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$JOBS" --target toneharbour toneharbour-cli toneharbour-keyboard

CLI=build/cli/toneharbour-cli
SAMPLES=build/samples
rm -rf "$SAMPLES"
mkdir -p "$SAMPLES"
# The demo keeps its settings (the last connected model) to itself.
export XDG_CONFIG_HOME="$PWD/$SAMPLES/config"

WINDOW=build/app/toneharbour
# The desktop program on the running keyboard, found by the port search.
show_window() {
    printf '\n### The desktop program\n'
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        printf '$ toneharbour\n(close the window to end the demo)\n'
        "$WINDOW" || true
        stop_servers
        exit 0
    fi
    printf '$ xvfb-run toneharbour --screenshots %s\n' "$SAMPLES/screenshots"
    status=0
    xvfb-run -a -s "-screen 0 1280x800x24" "$WINDOW" --screenshots "$SAMPLES/screenshots" || status=$?
    printf '(exit status %s)\n' "$status"
}

# Runs one command line, echoing it, and shows its exit status.
show() {
    printf '\n$ toneharbour-cli %s\n' "$*"
    status=0
    "$CLI" "$@" || status=$?
    printf '(exit status %s)\n' "$status"
}

"$CLI" --version

printf '\n### The keyboard link\n'
show --emulate PRV-3200 identify
show --emulate LM-4100 identify

# The virtual keyboard as a program of its own on a private JACK server.
SERVER="toneharbour-demo-$$"
export JACK_DEFAULT_SERVER="$SERVER" JACK_NO_AUDIO_RESERVATION=1 JACK_NO_START_SERVER=1
jackd --no-realtime -S -n "$SERVER" -d dummy -r 48000 -p 64 >"$SAMPLES/jackd.log" 2>&1 &
JACK_PID=$!
KEYBOARD_PID=""
stop_servers() {
    [ -n "$KEYBOARD_PID" ] && kill "$KEYBOARD_PID" 2>/dev/null && wait "$KEYBOARD_PID" 2>/dev/null
    kill "$JACK_PID" 2>/dev/null && wait "$JACK_PID" 2>/dev/null
    return 0
}
trap stop_servers EXIT INT TERM
if jack_wait -w -t 20 >/dev/null 2>&1; then
    printf '\n$ toneharbour-keyboard --model QS-2 &\n'
    build/emu/toneharbour-keyboard --model QS-2 --state "$SAMPLES/keyboard-state" \
        >"$SAMPLES/keyboard.log" 2>&1 &
    KEYBOARD_PID=$!
    tries=0
    until grep -q '^READY$' "$SAMPLES/keyboard.log" || [ "$tries" -ge 100 ]; do
        tries=$((tries + 1))
        sleep 0.1
    done
    cat "$SAMPLES/keyboard.log"
    show ports
    show identify
    show_window
    printf '\n### Moving data\n'
    show list REGISTRATION
    show memory SEQUENCER
    # Registrations are named after the model and the day they were received.
    show receive REGISTRATION 1 -d "$SAMPLES"
    REGISTRATION=$(ls "$SAMPLES"/*.RM7 | head -n 1)
    # The area holds data, so replacing it takes a yes.
    show send "$REGISTRATION" 1
    show send "$REGISTRATION" 1 --yes
    show package new "$SAMPLES/Demo.PK7" --model QS-2 "REGISTRATION:1=$REGISTRATION"
    show package show "$SAMPLES/Demo.PK7"
    show package send "$SAMPLES/Demo.PK7" --yes
    show list REGISTRATION
    show backup -d "$SAMPLES"
    BACKUP=$(ls "$SAMPLES"/*.AL7 | head -n 1)
    show restore "$BACKUP" --yes
    stop_servers
    KEYBOARD_PID=""
else
    echo "(the JACK server did not start; skipping the MIDI part)"
fi
# Nothing answers now.
show identify

printf '\n### The file layer\n'
echo "(The current model is the keyboard identified last, QS-2 when the JACK part ran.)"
show file new SEQUENCER "$SAMPLES/UserSong3.CMS" --model PRV-3200 --area 3
show file info "$SAMPLES/UserSong3.CMS"
show file check "$SAMPLES/UserSong3.CMS" --model PRV-3200
# A first-generation keyboard keeps songs in format version 0: it refuses this one.
show file check "$SAMPLES/UserSong3.CMS" --model PRV-1100
# ...while a version-0 song is relabelled for the newer keyboard.
show file new SEQUENCER "$SAMPLES/OldSong.CMS" --model PRV-1100
show file check "$SAMPLES/OldSong.CMS" --model PRV-3200
show file new MUSICPRESET "$SAMPLES/Empty.MPS" --model LM-5200
show file info "$SAMPLES/Empty.MPS"
show file new RHYTHM "$SAMPLES/Empty.AC7" --model QS-1
show file info "$SAMPLES/Empty.AC7"
show file check "$SAMPLES/Missing.TN7" --model QS-1

printf '\n### Audio for the SD card\n'
# A freshly formatted card: its audio list holds only the closing record.
mkdir -p "$SAMPLES/card/MUSICDAT"
python3 -c 'import sys; sys.stdout.buffer.write(b"\xff" * 12 + b"\0" * 8 + b"\xff" * 12)' \
    >"$SAMPLES/card/MUSICDAT/TAVROWAV.DIR"
if command -v sox >/dev/null 2>&1; then
    sox -n -r 48000 -c 1 -b 16 "$SAMPLES/Tune.wav" synth 3 sine 440 gain -6
    show wav info "$SAMPLES/Tune.wav"
    show wav convert "$SAMPLES/Tune.wav" "$SAMPLES/Tune-44k.wav"
    show wav info "$SAMPLES/Tune-44k.wav"
    show card import "$SAMPLES/card" "$SAMPLES/Tune.wav"
    show card list "$SAMPLES/card"
else
    echo "(sox is missing; skipping the audio part)"
fi
