#!/usr/bin/env bash
# The benchmark on 1,000 contacts, one run, checking counts and order only.
set -euo pipefail
gendb=$1; bench=$2; folder=$3
rm -rf "$folder"; mkdir -p "$folder"
"$gendb" "$folder/Kib.bin" 1000 7 >/dev/null
"$bench" check "$folder"
