#!/usr/bin/env bash
# Measures the program at 100,000 contacts against the stock sqlcipher shell on the same file, and
# syncing 10,000 cards with a local Radicale against one curl REPORT of the same address book.
# Each figure is the median of RUNS runs (default 5). The last line sums it up.
set -euo pipefail
cd "$(dirname "$0")"
RUNS=${RUNS:-5}
CONTACTS=${CONTACTS:-100000}
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQAV_TESTS=OFF >/dev/null
cmake --build build >/dev/null
export QT_QPA_PLATFORM=offscreen

data=build/bench-data
mkdir -p "$data"
seed="$data/book-$CONTACTS.bin"
[ -f "$seed" ] || build/tools/qav_gendb "$seed" "$CONTACTS" 1947 >/dev/null
rm -f "$data/empty.bin"; build/tools/qav_makedb "$data/empty.bin" >/dev/null
work="$data/run"; mkdir -p "$work"
fresh() { rm -f "$work/Kib.bin" "$work/Kib.bin-order"; cp "$1" "$work/Kib.bin"; }
# A book the program has used before: the last session opened the big directory and closed.
used() { fresh "$1"; build/bench/qav_bench keep "$work" "$big" >/dev/null 2>&1; }
# The same, where the last session also searched the whole book (its index is kept at the close).
searched() { fresh "$1"; build/bench/qav_bench keep "$work" "$big" search 2>/dev/null; }

key="PRAGMA key = 'tor\$kq\$wvl\$8\$1947';"
now_us() { echo $(( $(date +%s%N) / 1000 )); }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
timed() { local s; s=$(now_us); "$@" >/dev/null 2>&1; echo $(( $(now_us) - s )); }
shell() { sqlcipher "$seed" <<<"$key $1" >/dev/null; }

big=1   # the directory that holds half of the contacts
hit="Zoë"; miss="qqqqq"

startup_us=$(for i in $(seq "$RUNS"); do fresh "$seed"; timed build/bench/qav_bench startup "$work"; done | median)
shell_all_us=$(for i in $(seq "$RUNS"); do timed shell "select * from info order by name;"; done | median)
shell_open_us=$(for i in $(seq "$RUNS"); do timed shell "select * from info where dir= '$big' order by name;"; done | median)
shell_hit_us=$(for i in $(seq "$RUNS"); do timed shell "select * from info where dir= '$big' and name like '%$hit%' order by name;"; done | median)
shell_miss_us=$(for i in $(seq "$RUNS"); do timed shell "select * from info where dir= '$big' and name like '%$miss%' order by name;"; done | median)

# The first open of a book no session of the program has opened yet: every name read and sorted.
open_unsorted_ms=$(for i in $(seq "$RUNS"); do fresh "$seed"; build/bench/qav_bench first "$work" "$big" | sed -n 's/.*open_first_ms=\([0-9.]*\).*/\1/p'; done | median)

used "$seed"
steps=$(build/bench/qav_bench steps "$work" "$big" "$RUNS")
get() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$steps"; }
open_first_ms=$(get open_first_ms); open_ms=$(get open_ms); hit_ms=$(get search_hit_ms); miss_ms=$(get search_miss_ms); save_ms=$(get save_ms); hits=$(get hits)
scroll_ms=$(get scroll_max_ms); scroll_steps=$(get scroll_steps)
plain_latin_ms=$(get search_plain_latin_ms); sound_first_ms=$(get search_sound_first_ms); sound_ms=$(get search_sound_ms); sound_hits=$(get by_sound_found)

# The same steps in a book whose big directory's contacts each hold three more values (a second
# mobile, an e-mail, a work address): those are read when a contact is shown, not at open or save.
seed_more="$data/book-$CONTACTS-more.bin"
[ -f "$seed_more" ] || build/tools/qav_gendb "$seed_more" "$CONTACTS" 1947 3 >/dev/null
used "$seed_more"; steps_more=$(build/bench/qav_bench steps "$work" "$big" "$RUNS")
open_more_ms=$(sed -n 's/.*open_ms=\([0-9.]*\).*/\1/p' <<<"$steps_more"); save_more_ms=$(sed -n 's/.*save_ms=\([0-9.]*\).*/\1/p' <<<"$steps_more")
hit_more_ms=$(sed -n 's/.*search_hit_ms=\([0-9.]*\).*/\1/p' <<<"$steps_more")

used "$seed"; after_import=$(build/bench/qav_bench after_import "$work" "$big")
open_after_import_ms=$(sed -n 's/.*open_after_import_ms=\([0-9.]*\).*/\1/p' <<<"$after_import"); import_ms=$(sed -n 's/^import_ms=\([0-9.]*\).*/\1/p' <<<"$after_import")
# The first open after an import from the command line into that directory: the order the last
# session kept is mended by the import, not read again.
hundred="$data/hundred.vcf"
[ -f "$hundred" ] || for i in $(seq 0 99); do printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Cli Imported %d\r\nTEL;TYPE=CELL:0100777%04d\r\nEND:VCARD\r\n' "$i" "$i"; done > "$hundred"
bigname=$(sqlcipher "$seed" <<<"$key select dirname from dirg where code = $big;")
open_after_cli_ms=$(for i in $(seq "$RUNS"); do used "$seed"; cp build/src/qavtelephone "$work/"; "$work/qavtelephone" --import "$hundred" --into "$bigname" >/dev/null 2>&1; build/bench/qav_bench first "$work" "$big" | sed -n 's/.*open_first_ms=\([0-9.]*\).*/\1/p'; done | median)
rm -f "$work/qavtelephone"
# The first open after another program's write (the shell adds one contact to the directory).
open_after_foreign_ms=$(for i in $(seq "$RUNS"); do used "$seed"; sqlcipher "$work/Kib.bin" <<<"$key insert into info (name, dir) values ('Written Elsewhere $i', '$big');" >/dev/null; build/bench/qav_bench first "$work" "$big" | sed -n 's/.*open_first_ms=\([0-9.]*\).*/\1/p'; done | median)
used "$seed"; sqlcipher "$work/Kib.bin" <<<"$key insert into info (name, dir) values ('Written Elsewhere', '$big');" >/dev/null; rss_foreign=$(build/bench/qav_bench rss "$work" "$big")

# Every search field against the shell's LIKE scan of that column.
fields="sname:name:Zoë sorg:org:Globex saddress:address:Baker shome:hometel:0212 sjob:jobtel:0233 smobil:mobil:0100 sfax:fax:0255 semail:email:user12 sinfo:moreinfo:conference"
used "$seed"
field_args=$(for f in $fields; do printf '%s:%s,' "${f%%:*}" "${f##*:}"; done); field_args=${field_args%,}
field_times=$(build/bench/qav_bench fields "$work" "$big" "$RUNS" "$field_args")
# Memory after a search in every field in turn, in a used book and after another program's write.
used "$seed"; rss_fields=$(build/bench/qav_bench rss "$work" "$big" "$field_args")
used "$seed"; sqlcipher "$work/Kib.bin" <<<"$key insert into info (name, dir) values ('Written Elsewhere', '$big');" >/dev/null; rss_foreign_fields=$(build/bench/qav_bench rss "$work" "$big" "$field_args")
search_ratio_max_field=0; search_ratio_max_field_first=0; field_lines=""
for f in $fields; do
    item=${f%%:*}; rest=${f#*:}; column=${rest%%:*}; text=${f##*:}
    ours=$(sed -n "s/.* $item=\([0-9.]*\).*/\1/p" <<<" $field_times"); first=$(sed -n "s/.*$item""_first=\([0-9.]*\).*/\1/p" <<<"$field_times")
    theirs=$(for i in $(seq "$RUNS"); do timed shell "select * from info where dir= '$big' and $column like '%$text%' order by name;"; done | median)
    r=$(awk -v m="$ours" -v u="$theirs" 'BEGIN {printf "%.3f", m * 1000 / u}')
    r_first=$(awk -v m="$first" -v u="$theirs" 'BEGIN {printf "%.3f", m * 1000 / u}')
    search_ratio_max_field=$(awk -v a="$search_ratio_max_field" -v b="$r" 'BEGIN {print (b > a ? b : a)}')
    search_ratio_max_field_first=$(awk -v a="$search_ratio_max_field_first" -v b="$r_first" 'BEGIN {print (b > a ? b : a)}')
    field_lines="$field_lines$(printf '%-34s %12s %12s %8s   (the first in this field: %s ms, %s)' "  search in $column (\"$text\")" "$ours" "$(awk -v u="$theirs" 'BEGIN {printf "%.1f", u / 1000}')" "$r" "$first" "$r_first")\n"
done
# The search through the whole book, typed a letter at a time, against the shell's LIKE scan of
# the same fields in the unlocked directories.
whole_queries="Zoë,محمد,0102345"
# In a book never searched the contacts are read first; where the last session searched, the
# index it kept is read back. The close that keeps it, against one that keeps the order alone.
used "$seed"; whole_never=$(build/bench/qav_bench wholebook "$work" "$whole_queries")
# The same book as a session begins over it: read ahead behind the main window, then searched.
used "$seed"; whole_ahead=$(build/bench/qav_bench wholebook "$work" "$whole_queries" ahead)
close_plain_ms=$(fresh "$seed"; build/bench/qav_bench keep "$work" "$big" 2>/dev/null | sed -n 's/.*close_ms=\([0-9.]*\).*/\1/p')
close_keep_ms=$(searched "$seed" | sed -n 's/.*close_ms=\([0-9.]*\).*/\1/p')
whole=$(build/bench/qav_bench wholebook "$work" "$whole_queries")
like_all() { local c q=$1 w=""; for c in name hometel jobtel mobil fax address email org moreinfo; do w="$w${w:+ or }$c like '%$q%'"; done
             echo "select info.* from info join dirg on dirg.code = info.dir where dirg.pass = '0' and ($w);"; }
shell_whole_us=$(for i in $(seq "$RUNS"); do timed shell "$(like_all Zoë)"; done | median)
whole_first_ms=$(sed -n 's/.*whole_first_ms=\([0-9.]*\).*/\1/p' <<<"$whole")
whole_first_never_ms=$(sed -n 's/.*whole_first_ms=\([0-9.]*\).*/\1/p' <<<"$whole_never")
whole_later_ms=$(sed -n 's/.*whole_later_max_ms=\([0-9.]*\).*/\1/p' <<<"$whole")
whole_open_never_ms=$(sed -n 's/.*whole_open_ms=\([0-9.]*\).*/\1/p' <<<"$whole_never")
whole_first_ahead_ms=$(sed -n 's/.*whole_first_ms=\([0-9.]*\).*/\1/p' <<<"$whole_ahead")
whole_read_ahead_ms=$(sed -n 's/.*whole_read_ahead_ms=\([-0-9.]*\).*/\1/p' <<<"$whole_ahead")
whole_saved_while_ahead_ms=$(sed -n 's/.*whole_saved_while_reading_ms=\([-0-9.]*\).*/\1/p' <<<"$whole_ahead")
whole_saved_while_reading_ms=$(sed -n 's/.*whole_saved_while_reading_ms=\([-0-9.]*\).*/\1/p' <<<"$whole_never")
# Memory: the search's own growth (its peak over what the program held before it opened), the
# largest of the first searches (the read ahead's included), and that peak.
whole_growth() { sed -n 's/.*whole_rss_kb=\([0-9]*\) whole_rss_before_kb=\([0-9]*\).*/\1 \2/p' <<<"$1" | awk '{print $1 - $2}'; }
whole_rss_growth_kb=$(printf '%s\n%s\n%s\n' "$(whole_growth "$whole")" "$(whole_growth "$whole_never")" "$(whole_growth "$whole_ahead")" | sort -n | tail -1)
whole_rss_kb=$(sed -n 's/.*whole_rss_kb=\([0-9]*\).*/\1/p' <<<"$whole$(printf '\n')$whole_never$(printf '\n')$whole_ahead" | sort -n | tail -1)
whole_after_edit_ms=$(sed -n 's/.*whole_after_edit_ms=\([0-9.]*\).*/\1/p' <<<"$whole")
# The desktop's search service: the book read when it starts, then each query letter by letter.
desktop=$(build/bench/qav_bench desktop "$work" "Zoë,محمد,0102345,Mohamed")
desktop_prepare_ms=$(sed -n 's/.*desktop_prepare_ms=\([0-9.]*\).*/\1/p' <<<"$desktop")
desktop_answer_ms=$(sed -n 's/.*desktop_answer_max_ms=\([0-9.]*\).*/\1/p' <<<"$desktop")
dup=$(for i in $(seq "$RUNS"); do build/bench/qav_bench duplicates "$work"; done)
duplicates_ms=$(sed -n 's/.*duplicates_ms=\([0-9.]*\).*/\1/p' <<<"$dup" | median); duplicate_groups=$(sed -n 's/.*groups=\([0-9]*\).*/\1/p' <<<"$dup" | head -1)
fresh "$seed"; rss_unsorted=$(build/bench/qav_bench rss "$work" "$big")
used "$seed"; rss_full=$(build/bench/qav_bench rss "$work" "$big")
fresh "$data/empty.bin"; rss_empty=$(build/bench/qav_bench rss "$work" "$big")

# Sync against a real Radicale: the first sync of SYNC_CONTACTS cards and a sync with nothing changed.
# Then the first open of the big directory in the next session, after a command-line sync brought
# those cards into another directory of the book.
used "$seed"
sync=$(bench/sync.sh build/src/qavtelephone build/tools/qav_makedb "$data/sync" "$RUNS" "$work" build/bench/qav_bench "$big")
open_after_sync_ms=$(sed -n "s/.*open_after_sync_ms=\([0-9.]*\).*/\1/p" <<<"$sync")
sync_into_book_ms=$(sed -n "s/.*sync_into_book_ms=\([0-9.]*\).*/\1/p" <<<"$sync")
curl_report_ms=$(sed -n "s/.*curl_report_ms=\([0-9.]*\).*/\1/p" <<<"$sync")
first_sync_ms=$(sed -n "s/.*first_sync_ms=\([0-9.]*\).*/\1/p" <<<"$sync")
quiet_sync_ms=$(sed -n "s/.*quiet_sync_ms=\([0-9.]*\).*/\1/p" <<<"$sync")
sync_cards=$(sed -n "s/.*cards=\([0-9]*\).*/\1/p" <<<"$sync")

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", a / b}'; }
ms() { awk -v u="$1" 'BEGIN {printf "%.1f", u / 1000}'; }
startup_ratio=$(ratio "$startup_us" "$shell_all_us")
open_ratio=$(ratio "$(awk -v m="$open_ms" 'BEGIN{print m*1000}')" "$shell_open_us")
search_hit_ratio=$(ratio "$(awk -v m="$hit_ms" 'BEGIN{print m*1000}')" "$shell_hit_us")
search_miss_ratio=$(ratio "$(awk -v m="$miss_ms" 'BEGIN{print m*1000}')" "$shell_miss_us")
search_ratio=$(awk -v a="$search_hit_ratio" -v b="$search_miss_ratio" 'BEGIN {print (a > b ? a : b)}')
rss_growth_mb=$(awk -v a="$rss_full" -v b="$rss_empty" 'BEGIN {printf "%.1f", (a - b) / 1024}')
rss_unsorted_mb=$(awk -v a="$rss_unsorted" -v b="$rss_empty" 'BEGIN {printf "%.1f", (a - b) / 1024}')
rss_foreign_mb=$(awk -v a="$rss_foreign" -v b="$rss_empty" 'BEGIN {printf "%.1f", (a - b) / 1024}')
rss_fields_mb=$(awk -v a="$rss_fields" -v b="$rss_empty" 'BEGIN {printf "%.1f", (a - b) / 1024}')
rss_foreign_fields_mb=$(awk -v a="$rss_foreign_fields" -v b="$rss_empty" 'BEGIN {printf "%.1f", (a - b) / 1024}')
rss_growth_max_mb=$(printf '%s\n' "$rss_growth_mb" "$rss_unsorted_mb" "$rss_foreign_mb" "$rss_fields_mb" "$rss_foreign_fields_mb" | sort -n | tail -1)

printf '%-34s %12s %12s %8s\n' "figure ($CONTACTS contacts, median of $RUNS)" "ours (ms)" "shell (ms)" "ratio"
printf '%-34s %12s %12s %8s\n' "start-up to painted list" "$(ms "$startup_us")" "$(ms "$shell_all_us")" "$startup_ratio"
printf '%-34s %12s %12s %8s\n' "open the big directory" "$open_ms" "$(ms "$shell_open_us")" "$open_ratio"
printf '%-34s %12s\n' "  the first time after start-up" "$open_first_ms"
printf '%-34s %12s   (no order kept by an earlier session)\n' "  the first time in a new book" "$open_unsorted_ms"
printf '%-34s %12s   (100 contacts imported into it first, in %s ms)\n' "  after an import of this session" "$open_after_import_ms" "$import_ms"
printf '%-34s %12s   (the next session, after --import of 100 contacts)\n' "  after a command-line import" "$open_after_cli_ms"
printf '%-34s %12s   (the shell added one contact to it)\n' "  after another program's write" "$open_after_foreign_ms"
printf '%-34s %12s   (the next session, after --sync brought %s cards into another directory in %s ms)\n' "  after a command-line sync" "$open_after_sync_ms" "$sync_cards" "$sync_into_book_ms"
printf '%-34s %12s %12s %8s\n' "search, $hits hits" "$hit_ms" "$(ms "$shell_hit_us")" "$search_hit_ratio"
printf '%-34s %12s %12s %8s\n' "search, no hits" "$miss_ms" "$(ms "$shell_miss_us")" "$search_miss_ratio"
sound_ratio=$(ratio "$sound_ms" "$plain_latin_ms")
sound_shell_ratio=$(ratio "$(awk -v m="$sound_first_ms" 'BEGIN{print m*1000}')" "$shell_hit_us")
printf '%-34s %12s %12s %8s   (the first: sound keys made; ratio to the shell'"'"'s LIKE scan)\n' "search by sound, the first" "$sound_first_ms" "$(ms "$shell_hit_us")" "$sound_shell_ratio"
printf '%-34s %12s %12s %8s   (the shell column: the same text searched plainly by us)\n' "search by sound, $sound_hits hits" "$sound_ms" "$plain_latin_ms" "$sound_ratio"
printf "$field_lines"
printf '%-34s %12s   (the last field above searched again after a save)\n' "  a field search after a save" "$(sed -n 's/.*field_after_save=\([0-9.]*\).*/\1/p' <<<"$field_times")"
printf '%-34s %12s\n' "save one contact with refresh" "$save_ms"
printf '%-34s %12s   (open %s ms, name search %s ms)\n' "  the same, three more values each" "$save_more_ms" "$open_more_ms" "$hit_more_ms"
printf '%-34s %12s   (%s groups in the whole book)\n' "find duplicates" "$duplicates_ms" "$duplicate_groups"
printf '%-34s %12s (%s screens, top to bottom)\n' "slowest scroll step" "$scroll_ms" "$scroll_steps"
printf '%-34s %12s MB (peak RSS %s KB full, %s KB empty)\n' "memory growth" "$rss_growth_mb" "$rss_full" "$rss_empty"
printf '%-34s %12s MB   (no order kept by an earlier session)\n' "  in a new book" "$rss_unsorted_mb"
printf '%-34s %12s MB   (after another program'"'"'s write)\n' "  after another program's write" "$rss_foreign_mb"
printf '%-34s %12s MB   (a search in every field in turn)\n' "  after a search in every field" "$rss_fields_mb"
printf '%-34s %12s MB   (another program wrote first)\n' "  the same after a foreign write" "$rss_foreign_fields_mb"
whole_first_ratio=$(ratio "$(awk -v m="$whole_first_ms" 'BEGIN{print m*1000}')" "$shell_whole_us")
whole_first_never_ratio=$(ratio "$(awk -v m="$whole_first_never_ms" 'BEGIN{print m*1000}')" "$shell_whole_us")
whole_first_ahead_ratio=$(ratio "$(awk -v m="$whole_first_ahead_ms" 'BEGIN{print m*1000}')" "$shell_whole_us")
whole_later_ratio=$(ratio "$(awk -v m="$whole_later_ms" 'BEGIN{print m*1000}')" "$shell_whole_us")
whole_rss_mb=$(awk -v g="$whole_rss_growth_kb" 'BEGIN {printf "%.1f", g / 1024}')
printf '%-34s %12s %12s %8s   (opened, the index the last session kept read, and the first letter typed)\n' "whole book search, the first" "$whole_first_ms" "$(ms "$shell_whole_us")" "$whole_first_ratio"
printf '%-34s %12s %12s %8s   (a book never searched: the contacts read and folded)\n' "  the first, never searched" "$whole_first_never_ms" "$(ms "$shell_whole_us")" "$whole_first_never_ratio"
printf '%-34s %12s   (the contacts read behind it; a save meanwhile took %s ms)\n' "  the window open, never searched" "$whole_open_never_ms" "$whole_saved_while_reading_ms"
printf '%-34s %12s %12s %8s   (the same book read ahead as the session began, in %s ms; a save meanwhile took %s ms)\n' "  the first, read ahead" "$whole_first_ahead_ms" "$(ms "$shell_whole_us")" "$whole_first_ahead_ratio" "$whole_read_ahead_ms" "$whole_saved_while_ahead_ms"
printf '%-34s %12s ms   (keeping the order alone: %s ms)\n' "  the close that keeps the index" "$close_keep_ms" "$close_plain_ms"
printf '%-34s %12s %12s %8s   (the slowest later keystroke of "%s")\n' "  every later keystroke" "$whole_later_ms" "$(ms "$shell_whole_us")" "$whole_later_ratio" "$whole_queries"
printf '%-34s %12s   (one contact edited, then "%s" typed at once)\n' "  a search after an edit" "$whole_after_edit_ms" "${whole_queries##*,}"
printf '%-34s %12s MB   (peak RSS %s KB, the book open before it)\n' "  memory growth" "$whole_rss_mb" "$whole_rss_kb"
printf '%-34s %12s   (the slowest answer of a query typed letter by letter; the book read at start in %s ms)\n' "desktop search answer" "$desktop_answer_ms" "$desktop_prepare_ms"
sync_first_ratio=$(ratio "$first_sync_ms" "$curl_report_ms")
printf '%-34s %12s %12s %8s\n' "first sync, $sync_cards cards" "$first_sync_ms" "$curl_report_ms" "$sync_first_ratio"
printf '%-34s %12s   (the shell column: one curl REPORT of the same book)\n' "sync with nothing changed" "$quiet_sync_ms"
# Each run keeps its figures; with both sizes measured, how each figure grows from one to the other.
figures="startup_ms=$(ms "$startup_us") open_first_ms=$open_first_ms open_ms=$open_ms search_hit_ms=$hit_ms search_miss_ms=$miss_ms search_sound_ms=$sound_ms save_ms=$save_ms rss_growth_mb=$rss_growth_mb"
echo "$figures" > "$data/figures-$CONTACTS.txt"
if [ -f "$data/figures-100000.txt" ] && [ -f "$data/figures-1000000.txt" ]; then
    growth=""
    for key in startup_ms open_first_ms open_ms search_hit_ms search_miss_ms save_ms rss_growth_mb; do
        small=$(sed -n "s/.*$key=\([0-9.]*\).*/\1/p" "$data/figures-100000.txt")
        large=$(sed -n "s/.*$key=\([0-9.]*\).*/\1/p" "$data/figures-1000000.txt")
        [ -n "$small" ] && [ -n "$large" ] && growth="$growth ${key%_ms}=$(awk -v a="$large" -v b="$small" 'BEGIN {printf "%.2f", a / b}')x"
    done
    echo "growth from 100,000 to 1,000,000:$growth"
fi
echo "startup_ratio=$startup_ratio open_ratio=$open_ratio search_ratio=$search_ratio save_ms=$save_ms rss_growth_mb=$rss_growth_mb sync_first_ratio=$sync_first_ratio sync_quiet_ms=$quiet_sync_ms sound_search_ratio=$sound_ratio duplicates_ms=$duplicates_ms open_after_import_ms=$open_after_import_ms open_after_cli_import_ms=$open_after_cli_ms open_after_foreign_write_ms=$open_after_foreign_ms rss_growth_max_mb=$rss_growth_max_mb search_ratio_max_field=$search_ratio_max_field open_after_sync_ms=$open_after_sync_ms search_ratio_max_field_first=$search_ratio_max_field_first whole_first_ratio=$whole_first_ratio whole_first_kept_ratio=$whole_first_ratio whole_first_never_ratio=$whole_first_never_ratio whole_first_never_ms=$whole_first_never_ms whole_first_read_ahead_ratio=$whole_first_ahead_ratio whole_read_ahead_ms=$whole_read_ahead_ms close_keep_index_ms=$close_keep_ms whole_later_ratio=$whole_later_ratio whole_keystroke_ms=$whole_later_ms whole_rss_growth_mb=$whole_rss_mb whole_after_edit_ms=$whole_after_edit_ms whole_open_never_ms=$whole_open_never_ms whole_saved_while_reading_ms=$whole_saved_while_reading_ms desktop_answer_ms=$desktop_answer_ms save_more_values_ms=$save_more_ms open_more_values_ms=$open_more_ms"
