#!/usr/bin/env bash
# Prints every benchmark's figures: the portable core natively, then the cache server and the
# size columns under Wine. Measurements only: nothing here fails on a time.
set -euo pipefail
here=$(dirname "$0")
source "$here/wine-env.sh"
"$TROVELLE_BUILD/native/bench/bench_core"
"$here/../tests/wine/make-fixtures.sh"
# Folders of 10,000 and 30,000 items (a hundredth of them folders) for the window's benchmark,
# made once.
make_big_folder() {
    local folder="$DRIVES/fixed/$1" files=$2 folders=$3
    [ -f "$folder/zz-done.txt" ] && return
    rm -rf "$folder"
    mkdir -p "$folder"
    (cd "$folder" && for n in $(seq -w 0 $((folders - 1))); do mkdir "folder$n"; printf "%*s" $((10#$n * 7)) "" > "folder$n/f"; done
     for n in $(seq -w 0 $((files - 2))); do printf "%*s" $((10#$n % 997)) "" > "file$n.txt"; done)
    printf 'complete' > "$folder/zz-done.txt"
}
make_big_folder Big10k 9900 100
make_big_folder Big30k 29700 300

tools='C:\Program Files\Trovelle Pro\Tools'
echo
"$here/wine-run.sh" "$tools\\bench_cache_server.exe"
echo
"$here/../bench/wine/server-memory.sh"
echo
"$here/wine-run.sh" "$tools\\bench_listing.exe"
echo
"$here/wine-run.sh" "$tools\\bench_watch.exe"
echo
"$here/wine-run.sh" "$tools\\bench_columns.exe"
echo
"$here/wine-run.sh" "$tools\\bench_size.exe"
echo
# Inside Wine's virtual desktop, where the window and its driver meet.
TROVELLE_SCREEN=1280x800 "$here/wine-run-display.sh" explorer /desktop=TrovelleBench,1280x800 "$tools\\bench_browser.exe"
echo
# The treemap pane draws 1600x1000: the display must hold it.
TROVELLE_SCREEN=1600x1200 "$here/wine-run-display.sh" "$tools\\bench_treemap.exe"
