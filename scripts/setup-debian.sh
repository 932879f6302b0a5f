#!/bin/sh
# Installs the Debian 12 packages the build, the tests and the fuzz targets need.
# Quick when everything is present: apt-get only runs when a package is missing.
set -eu

PACKAGES="cmake ninja-build g++ pkg-config git python3 \
qt6-base-dev qt6-svg-dev libgl-dev zlib1g-dev libminizip-dev librtmidi-dev libudev-dev \
clang libclang-rt-14-dev unzip zip \
jackd2 libjack-jackd2-dev libbenchmark-dev sox xvfb"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    echo "Installing:$missing"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
