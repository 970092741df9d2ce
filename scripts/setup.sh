#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, only those missing.
# Safe to run any number of times.
set -euo pipefail

PACKAGES=(
    build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev lld
    qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-serialport-dev
    libgl-dev libglu1-mesa-dev
    libusb-1.0-0-dev libudev-dev
    libgtest-dev libgmock-dev libbenchmark-dev libdxflib-dev
    xvfb xauth libgl1-mesa-dri
    qt6-translations-l10n fonts-dejavu-core
)

missing=()
for pkg in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
