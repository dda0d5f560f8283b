#!/usr/bin/env bash
# The prefix script run while a cache server of the prefix still serves (as `make run` leaves
# one until ReleaseServer): when it has to rewrite a drive link it ends the prefix's programs
# within a bound instead of waiting for the server for good, and the server is gone after it.
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
cd "$WINEPREFIX/drive_c"
link="$WINEPREFIX/dosdevices/r:"
original=$(readlink "$link")
log=$(mktemp)
cleanup() {
    [ "$(readlink "$link")" = "$original" ] || ln -sfn "$original" "$link"
    rm -f "$log"
}
trap cleanup EXIT

wine 'C:\Program Files\Trovelle Pro\Tools\CacheClient.exe' size 'D:\Sample' >"$log" 2>&1
[ -n "$(cache_servers_of_prefix)" ] || { echo "FAIL: no cache server runs; nothing was tested"; exit 1; }

ln -sfn "$DRIVES/elsewhere" "$link"  # the script has a link to rewrite
start=$(date +%s)
timeout 120 "$TROVELLE_ROOT/scripts/wine-prefix.sh" >"$log" 2>&1
status=$?
took=$(( $(date +%s) - start ))
echo "wine-prefix.sh: exit $status after $took s"
[ $status -eq 0 ] || { echo "FAIL: the script did not end by itself:"; cat "$log"; exit 1; }
[ "$(readlink "$link")" = "$original" ] || { echo "FAIL: the drive link was not rewritten"; exit 1; }
[ -z "$(cache_servers_of_prefix)" ] || { echo "FAIL: the cache server outlived the rewrite"; exit 1; }
echo "PASS"
