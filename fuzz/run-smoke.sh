#!/bin/sh
# Runs every libFuzzer target of a fuzz build for a few seconds, each from a
# fresh copy of its seed corpus.
#   fuzz/run-smoke.sh BUILD_DIR [SECONDS]
# Seed generators are the build's fuzz/make_*_seeds programs; each takes an
# output folder and writes one subfolder per fuzz target it feeds.
set -eu
BUILD=${1:?usage: run-smoke.sh BUILD_DIR [SECONDS]}
SECONDS_EACH=${2:-5}
FUZZ_DIR="$BUILD/fuzz"
WORK="$FUZZ_DIR/smoke"

rm -rf "$WORK"
mkdir -p "$WORK/seeds" "$WORK/corpus" "$WORK/artifacts"

for generator in "$FUZZ_DIR"/make_*_seeds; do
    [ -f "$generator" ] && [ -x "$generator" ] || continue
    "$generator" "$WORK/seeds"
done

found=0
for target in "$FUZZ_DIR"/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    found=$((found + 1))
    name=$(basename "$target")
    corpus="$WORK/corpus/$name"
    mkdir -p "$corpus"
    if [ -d "$WORK/seeds/$name" ]; then
        cp -r "$WORK/seeds/$name/." "$corpus/"
    else
        echo "warning: no seed corpus for $name" >&2
    fi
    echo "--- $name: $(ls "$corpus" | wc -l) seeds, ${SECONDS_EACH}s"
    "$target" -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
        -artifact_prefix="$WORK/artifacts/$name-" "$corpus" 2>"$WORK/$name.log" || {
        tail -n 40 "$WORK/$name.log" >&2
        echo "FAILED: $name (log: $WORK/$name.log)" >&2
        exit 1
    }
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$WORK/$name.log" | tr '\n' ' '
    echo
done

if [ "$found" -eq 0 ]; then
    echo "no fuzz targets found in $FUZZ_DIR" >&2
    exit 1
fi
echo "$found fuzz targets ran clean"
