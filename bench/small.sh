#!/usr/bin/env bash
# The benchmark on 1,000 contacts, one run, checking counts and order only.
set -euo pipefail
gendb=$1; bench=$2; folder=$3
rm -rf "$folder"; mkdir -p "$folder"
"$gendb" "$folder/Kib.bin" 1000 7 >/dev/null
"$bench" check "$folder"
# The search through the whole book finds what it reports, a letter at a time.
"$bench" wholebook "$folder" "Zoë,محمد,0100" | grep -q 'whole_first_ms='
