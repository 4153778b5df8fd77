#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when missing.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config
          qt6-base-dev qt6-multimedia-dev qt6-svg-dev qt6-qpa-plugins libgl-dev
          gstreamer1.0-plugins-good libsqlcipher-dev sqlcipher fonts-noto-core xvfb xauth python3 poppler-utils clang libclang-rt-14-dev clang-format clang-tidy
          qt6-translations-l10n desktop-file-utils appstream dpkg-dev file
          qtkeychain-qt6-dev radicale curl openssl libicu-dev libqrencode-dev zbar-tools libphonenumber-dev libzstd-dev
          dbus-daemon)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
