#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail

packages=(
    cmake make g++ pkg-config
    qt6-base-dev qt6-svg-dev libgl-dev
    libjpeg-dev libgtest-dev libbenchmark-dev hyperfine
    libeigen3-dev dpkg-dev appstream desktop-file-utils lintian
    fonts-dejavu-core
    xvfb openbox x11-utils libxcb-xtest0-dev libxcb-res0-dev
    qt6-translations-l10n qt6-gtk-platformtheme
    cups printer-driver-cups-pdf poppler-utils libcups2-dev
    clang libclang-rt-dev
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
