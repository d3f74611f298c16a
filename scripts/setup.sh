#!/usr/bin/env bash
# Installs every Debian package that the build, the tests, the benchmarks and the demo need.
set -euo pipefail
packages=(
    build-essential cmake pkg-config ninja-build
    qt6-base-dev qt6-serialport-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
    libqcustomplot-dev libqcustomplot2.1-qt6
    libsimpleini-dev
    libbenchmark-dev
    clang libclang-rt-14-dev
    xvfb xauth imagemagick xdotool
    fonts-dejavu-core fonts-liberation fonts-wine
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
