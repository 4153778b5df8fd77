#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 30) on its seed corpus.
# Anything found is saved as fuzz/crash-<target>-*; make it a regression test.
set -euo pipefail
cd "$(dirname "$0")"
SECONDS_EACH=${1:-30}
scripts/install-deps.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQAV_FUZZ=ON -DQAV_TESTS=OFF \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz --target fuzz_vcard fuzz_csv fuzz_filter fuzz_dbfile fuzz_multistatus fuzz_cardmerge fuzz_storedrows >/dev/null
status=0
for target in vcard csv filter dbfile multistatus cardmerge storedrows; do
    work=build-fuzz/corpus-$target
    mkdir -p "$work"
    echo "fuzz_$target: ${SECONDS_EACH}s"
    if ! ASAN_OPTIONS=detect_leaks=0 build-fuzz/fuzz/fuzz_$target -max_total_time="$SECONDS_EACH" -timeout=10 \
           -rss_limit_mb=4096 -artifact_prefix="fuzz/crash-$target-" "$work" "fuzz/corpus/$target" \
           > "build-fuzz/fuzz_$target.log" 2>&1; then
        tail -30 "build-fuzz/fuzz_$target.log"
        status=1
    else
        grep -E "^Done|stat::number_of_executed_units" "build-fuzz/fuzz_$target.log" | tail -1 || true
    fi
done
exit $status
