#!/usr/bin/env bash
# Prints every benchmark's figures: the portable core natively, then the cache server and the
# size columns under Wine. Measurements only: nothing here fails on a time.
set -euo pipefail
here=$(dirname "$0")
source "$here/wine-env.sh"
"$TROVELLE_BUILD/native/bench/bench_core"
"$here/../tests/wine/make-fixtures.sh"
tools='C:\Program Files\Trovelle Pro\Tools'
echo
"$here/wine-run.sh" "$tools\\bench_cache_server.exe"
echo
"$here/wine-run.sh" "$tools\\bench_listing.exe"
echo
"$here/wine-run.sh" "$tools\\bench_watch.exe"
echo
"$here/wine-run.sh" "$tools\\bench_columns.exe"
echo
# Inside Wine's virtual desktop, where the window and its driver meet.
TROVELLE_SCREEN=1280x800 "$here/wine-run-display.sh" explorer /desktop=TrovelleBench,1280x800 "$tools\\bench_browser.exe"
