#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over src/ (or the files given), using the
# test build's compile commands. Exit status 1 when any check finds something.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-tidy >/dev/null || { echo "clang-tidy is not installed (scripts/install-deps.sh)" >&2; exit 2; }
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQAV_TESTS=ON -DQAV_SANITIZE=ON \
      -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build build-test >/dev/null   # generated headers (moc, resources) must exist
if [ $# -gt 0 ]; then files=("$@"); else mapfile -t files < <(find src -name '*.cpp' | sort); fi
printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p build-test --quiet 2>/dev/null |
    grep -E '(warning|error):' | sort -u | tee /tmp/qav-tidy.$$ || true
if [ -s /tmp/qav-tidy.$$ ]; then rm -f /tmp/qav-tidy.$$; exit 1; fi
rm -f /tmp/qav-tidy.$$
echo "clang-tidy: no findings in ${#files[@]} files"
