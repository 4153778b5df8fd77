#!/usr/bin/env bash
# Builds the Debian package qavtelephone_<version>_amd64.deb in the project folder:
#   scripts/make-deb.sh && sudo apt install ./qavtelephone_*_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DQAV_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr
cmake --build build-deb --target qavtelephone qav_packaging
(cd build-deb && cpack -G DEB)
mv build-deb/qavtelephone_*_amd64.deb .
ls qavtelephone_*_amd64.deb
# Debian's own checks, where lintian is installed: errors fail the build of the package.
if command -v lintian >/dev/null; then
    lintian --fail-on error qavtelephone_*_amd64.deb
fi
