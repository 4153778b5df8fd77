#!/usr/bin/env bash
# Installs what is missing, builds the program in Release, installs it into dist/ and starts it.
# dist/Kib.bin is created empty only when there is none; an existing one is never touched.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
# A portable copy: the program, its Kib.bin and its sound side by side in dist/.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQAV_TESTS=OFF -DCMAKE_INSTALL_BINDIR=.
cmake --build build
cmake --install build --prefix dist
[ -e dist/Kib.bin ] || build/tools/qav_makedb dist/Kib.bin
[ -e dist/bg.wav ] || python3 scripts/make-chime.py dist/bg.wav
exec dist/qavtelephone "$@"
