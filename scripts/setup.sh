#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what Tremorline needs to build, run and test on Debian 12, and only
# what is missing.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-multimedia-dev qt6-svg-dev libcli11-dev libgtest-dev libxcb1-dev
    # resampling the sound to the output's rate, reading miniSEED, spectra
    libsoxr-dev libmseed-dev libkissfft-dev
    # keeping compiled objects between builds and clones
    ccache
    # fuzzing the readers
    clang-14 libclang-rt-14-dev
    # Qt's audio output backend and a monospace font close to Courier New
    libqt6multimedia6 gstreamer1.0-plugins-base gstreamer1.0-plugins-good fonts-liberation2
    fonts-dejavu-core
    # the bundled sample trace: an example miniSEED record and its converter
    libmseed-doc mseed2sac
    # a display for machines without one
    xvfb xauth
    # tests: a sound server with a null sink, and an independent WAVE reader
    pulseaudio pulseaudio-utils sox
    # tests: checking the desktop entry and the file type
    desktop-file-utils shared-mime-info libglib2.0-bin
    # tests: the reference for the filters
    python3-scipy
    # tests: a one-node cluster for job arrays
    slurm-wlm munge
    # tests: the README's GNU parallel line
    parallel
    # benchmarks: elapsed time and peak memory of a command
    time
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
