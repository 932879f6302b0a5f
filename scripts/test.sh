#!/bin/sh
# Installs what is missing, builds, and runs the whole check suite:
#   1. the Qt Test suite (normal build),
#   2. the same suite under AddressSanitizer + UndefinedBehaviorSanitizer,
#   3. the threaded layers' tests (MIDI ports, command engine, virtual
#      keyboard) and the views' and window's tests that drive the
#      communication thread or ask from other threads, under ThreadSanitizer,
#   4. a short smoke run of every libFuzzer target from its seed corpus.
# Tests labelled "jack" start a private JACK server of their own.
# Set TH_FUZZ_SECONDS to change the length of each fuzz run (default 5).
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
JOBS=$(nproc 2>/dev/null || echo 2)
FUZZ_SECONDS=${TH_FUZZ_SECONDS:-5}

./scripts/setup-debian.sh

step() { printf '\n=== %s ===\n' "$*"; }

step "Build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$JOBS"
ctest --test-dir build --output-on-failure -j "$JOBS"

step "Build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTH_SANITIZE=address,undefined \
    -DTH_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-asan -j "$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$JOBS"

step "Build and test the threaded code with ThreadSanitizer"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTH_SANITIZE=thread \
    -DTH_BUILD_BENCHMARKS=OFF >/dev/null
# The threaded layers, and the GUI tests labelled "threaded". JACK's own
# threads are not instrumented, so the JACK tests stay out of this run.
TSAN_LABELS='midi|comm|emu|threaded'
# Only the test programs this step runs are built (each test is named after its program).
TSAN_TESTS=$(ctest --test-dir build-tsan -N -L "$TSAN_LABELS" -LE jack |
    sed -n 's/^ *Test *#[0-9]*: *//p')
# shellcheck disable=SC2086
cmake --build build-tsan -j "$JOBS" --target $TSAN_TESTS
# The longest history keeps the sending side's stack of a queued hand-over, which
# the suppressions need to recognise it.
TSAN_OPTIONS="halt_on_error=1 history_size=7 suppressions=$ROOT/tests/tsan.supp" \
    ctest --test-dir build-tsan --output-on-failure -j "$JOBS" -L "$TSAN_LABELS" -LE jack

step "Fuzz smoke runs (${FUZZ_SECONDS}s each)"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DTH_BUILD_FUZZERS=ON -DTH_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j "$JOBS" --target fuzzers
"$ROOT/fuzz/run-smoke.sh" "$ROOT/build-fuzz" "$FUZZ_SECONDS"

step "All checks passed"
