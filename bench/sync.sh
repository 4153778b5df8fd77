#!/usr/bin/env bash
# Sync figures at SYNC_CONTACTS cards (default 10,000) against a real Radicale on 127.0.0.1:
# the first sync of the whole address book down into an empty directory and a sync with nothing
# changed, each beside one curl REPORT that fetches the same address book from the same server.
# Given a folder with a book the program has used (its order kept) and qav_bench, also the first
# open of that directory in the next session after a command-line sync brought the cards into
# another directory of that book.
#   bench/sync.sh <qavtelephone> <qav_makedb> <work folder> <runs> [<used book folder> <qav_bench> <code>]
# Prints: curl_report_ms=… first_sync_ms=… quiet_sync_ms=… cards=… [open_after_sync_ms=… sync_into_book_ms=…]
set -euo pipefail
program=$1; makedb=$2; work=$3; runs=$4
used=${5:-}; bench=${6:-}; code=${7:-1}
# A sync's figures wander more than the local ones: never fewer than five runs.
[ "$runs" -ge 5 ] || runs=5
cards=${SYNC_CONTACTS:-10000}
rm -rf "$work"; mkdir -p "$work/storage/collection-root/bench/book" "$work/book"
echo "bench:secret" > "$work/users"
printf 'secret' > "$work/password"; chmod 600 "$work/password"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

# The address book written straight into the server's storage: cards as a phone would have them.
python3 - "$work/storage/collection-root/bench/book" "$cards" <<'PY'
import json, os, sys
folder, count = sys.argv[1], int(sys.argv[2])
with open(os.path.join(folder, ".Radicale.props"), "w") as f:
    json.dump({"D:displayname": "bench", "tag": "VADDRESSBOOK"}, f)
for i in range(count):
    with open(os.path.join(folder, "card-%06d.vcf" % i), "w", newline="") as f:
        f.write("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:card-%06d\r\nFN:جهة اتصال %06d\r\nN:%06d;جهة;;;\r\n"
                "TEL;TYPE=CELL:010%08d\r\nTEL;TYPE=HOME:02%08d\r\nEMAIL:c%d@example.org\r\n"
                "ORG:الشركة %d\r\nNOTE:ملاحظة\r\nEND:VCARD\r\n" % (i, i, i, i, i, i, i % 97))
PY

radicale --config "" --server-hosts "127.0.0.1:$port" --storage-filesystem-folder "$work/storage" \
    --auth-type htpasswd --auth-htpasswd-filename "$work/users" --auth-htpasswd-encryption plain \
    --rights-type owner_only --auth-delay 0 > "$work/radicale.log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.1; done

book="http://127.0.0.1:$port/bench/book/"
report() {
    curl -s -u bench:secret -X REPORT -H "Depth: 1" -H "Content-Type: application/xml; charset=utf-8" "$book" \
        --data '<c:addressbook-query xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:carddav"><d:prop><d:getetag/><c:address-data/></d:prop></c:addressbook-query>'
}
now_us() { echo $(( $(date +%s%N) / 1000 )); }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
timed() { local s; s=$(now_us); "$@" >/dev/null 2>&1; echo $(( $(now_us) - s )); }

# The server reads and caches every card on its first answer; that cost is the server's alone.
got=$(report | grep -o 'BEGIN:VCARD' | wc -l)
[ "$got" -eq "$cards" ] || { echo "the server answered $got cards of $cards" >&2; exit 1; }
curl_us=$(for i in $(seq "$runs"); do timed report; done | median)

cp "$program" "$work/book/qavtelephone"
first() {
    rm -f "$work/book/Kib.bin"; "$makedb" "$work/book/Kib.bin" >/dev/null
    "$work/book/qavtelephone" --link "دفتر" "$book" --user bench >/dev/null
    local s; s=$(now_us)
    "$work/book/qavtelephone" --sync --password-file "$work/password" >/dev/null
    echo $(( $(now_us) - s ))
}
first_us=$(for i in $(seq "$runs"); do first; done | median)
quiet_us=$(for i in $(seq "$runs"); do timed "$work/book/qavtelephone" --sync --password-file "$work/password"; done | median)
# What the last sync left: every card, once.
"$work/book/qavtelephone" --export "دفتر" "$work/out.vcf" >/dev/null
exported=$(grep -c 'BEGIN:VCARD' "$work/out.vcf")
[ "$exported" -eq "$cards" ] || { echo "the book holds $exported cards of $cards" >&2; exit 1; }

ms() { awk -v u="$1" 'BEGIN {printf "%.1f", u / 1000}'; }
after=""
if [ -n "$used" ]; then
    cp "$used/Kib.bin" "$work/used.bin"; cp "$used/Kib.bin-order" "$work/used.bin-order"
    cp "$program" "$used/qavtelephone"
    into_book() {
        cp "$work/used.bin" "$used/Kib.bin"; cp "$work/used.bin-order" "$used/Kib.bin-order"
        "$used/qavtelephone" --link "من الخادم" "$book" --user bench >/dev/null
        local s; s=$(now_us)
        "$used/qavtelephone" --sync --password-file "$work/password" >/dev/null
        echo "sync_us=$(( $(now_us) - s )) $("$bench" first "$used" "$code" 2>/dev/null)"
    }
    runs_out=$(for i in $(seq "$runs"); do into_book; done)
    into_us=$(sed -n 's/.*sync_us=\([0-9]*\).*/\1/p' <<<"$runs_out" | median)
    open_after=$(sed -n 's/.*open_first_ms=\([0-9.]*\).*/\1/p' <<<"$runs_out" | median)
    rm -f "$used/qavtelephone" "$work/used.bin" "$work/used.bin-order"
    after=" open_after_sync_ms=$open_after sync_into_book_ms=$(ms "$into_us")"
fi
echo "curl_report_ms=$(ms "$curl_us") first_sync_ms=$(ms "$first_us") quiet_sync_ms=$(ms "$quiet_us") cards=$cards$after"
