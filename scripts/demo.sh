#!/bin/sh
# Installs what is missing, builds, and shows the program at work on sample
# files the build makes: empty items of three categories, what they hold, and
# how different keyboard models judge them.
set -eu
cd "$(dirname "$0")/.."
JOBS=$(nproc 2>/dev/null || echo 2)

./scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$JOBS" --target toneharbour-cli

CLI=build/cli/toneharbour-cli
SAMPLES=build/samples
rm -rf "$SAMPLES"
mkdir -p "$SAMPLES"

# Runs one command line, echoing it, and shows its exit status.
show() {
    printf '\n$ toneharbour-cli %s\n' "$*"
    status=0
    "$CLI" "$@" || status=$?
    printf '(exit status %s)\n' "$status"
}

"$CLI" --version
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
