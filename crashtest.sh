#!/usr/bin/env bash
# Kills a saving process KILLS times (default 300) and checks that no acknowledged save is lost.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQAV_TESTS=OFF >/dev/null
cmake --build build --target qav_crashtest >/dev/null
mkdir -p build/crash
build/tools/qav_crashtest build/crash "${KILLS:-300}"
