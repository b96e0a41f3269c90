#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing lotdraw need, when any is
# missing. Safe to run again: it does nothing once everything is there.
set -euo pipefail

packages=(
    build-essential cmake git pkg-config zlib1g-dev
    qt6-base-dev qt6-base-private-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
    libreoffice-calc libreoffice-dev
    fonts-noto-cjk fonts-arphic-uming fonts-arphic-ukai
    xvfb xauth imagemagick libx11-dev libxtst-dev
    clang-format-16 libbenchmark-dev
    dpkg-dev librsvg2-bin lintian desktop-file-utils appstream
    poppler-utils
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [[ $(id -u) -ne 0 ]]; then
        sudo_cmd=(sudo)
    fi
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
