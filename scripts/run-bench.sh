#!/usr/bin/env bash
# Prints every benchmark's figures: the portable core natively, then the cache server and the
# size columns under Wine. Measurements only: nothing here fails on a time.
set -euo pipefail
here=$(dirname "$0")
source "$here/wine-env.sh"
"$TROVELLE_BUILD/native/bench/bench_core"
"$here/../tests/wine/make-fixtures.sh"
# A folder of 10,000 items (100 folders, 9,900 files) for the window's benchmark, made once.
big10k="$DRIVES/fixed/Big10k"
if [ ! -f "$big10k/zz-done.txt" ]; then
    rm -rf "$big10k"
    mkdir -p "$big10k"
    (cd "$big10k" && for n in $(seq -w 0 99); do mkdir "folder$n"; printf "%*s" $((10#$n * 7)) "" > "folder$n/f"; done
     for n in $(seq -w 0 9898); do printf "%*s" $((10#$n % 997)) "" > "file$n.txt"; done)
    printf 'complete' > "$big10k/zz-done.txt"
fi

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
# Inside Wine's virtual desktop, where the window and its driver meet.
TROVELLE_SCREEN=1280x800 "$here/wine-run-display.sh" explorer /desktop=TrovelleBench,1280x800 "$tools\\bench_browser.exe"
