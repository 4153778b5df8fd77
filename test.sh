#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UBSan, and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
# The tree stays as its .clang-format lays it out.
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQAV_SANITIZE=ON -DQAV_TESTS=ON \
      -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
cmake --build build-test
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-test --output-on-failure -j2
# And clean by the checks of .clang-tidy (the setup script installs clang-tidy).
if command -v clang-tidy >/dev/null; then scripts/tidy.sh; fi
