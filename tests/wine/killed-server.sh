#!/usr/bin/env bash
# A cache server killed in the middle of a long scan: the next client starts a new server and
# gets the right total. Wine keeps a killed server's class object listed until all of its own
# processes have ended (Windows notices at once), so this runs as a script that lets Wine wind
# down between the kill and the next client.
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
cd "$WINEPREFIX/drive_c"
client='C:\Program Files\Trovelle Pro\Tests\wine_stress_client.exe'
tree='D:\Big20k'
log=$(mktemp)
trap 'rm -f "$log"' EXIT

wait_for_wine_session 60  # no server of an earlier run may still be there
# This client keeps the server in cold scans of the tree (it empties the cache before each call).
wine "$client" rescan 1000 "$tree" >"$log" 2>&1 &
asking=$!
server=
for _ in $(seq 100); do
    server=$(cache_servers_of_prefix | head -n1) && [ -n "$server" ] && break
    sleep 0.05
done
[ -n "$server" ] || { echo "FAIL: no server started"; exit 1; }
sleep 2
kill -9 "$server"
wait "$asking"
echo "client during the kill: $(tr -d '\r' <"$log" | grep calls)"
grep -q 'failed [1-9]' "$log" || { echo "FAIL: the client saw no failure; nothing was tested"; exit 1; }

wait_for_wine_session 60
wine "$client" ask 1 "$tree" "$tree" >"$log" 2>&1
status=$?
echo "next client: $(tr -d '\r' <"$log" | grep -E 'calls|connect') (exit $status)"
[ $status -eq 0 ] || { echo "FAIL: the next client was not served with the right total"; exit 1; }
wine "C:\\Program Files\\Trovelle Pro\\Tools\\CacheClient.exe" release >/dev/null 2>&1

# A column handler keeps its server object from cell to cell. With the server killed behind it,
# its next cell shows the right total through a new server, or an error text (Wine keeps a killed
# server's class listed until its processes wind down), but never a size that is not the folder's.
wait_for_wine_session 60
wine "$client" cells 'D:\Sample' TrovelleCellsGo >"$log" 2>&1 &
cells=$!
for _ in $(seq 300); do grep -q 'first cell' "$log" && break; sleep 0.1; done
echo "handler: $(tr -d '\r' <"$log" | grep 'first cell')"
server=$(cache_servers_of_prefix | head -n1)
[ -n "$server" ] || { echo "FAIL: the handler started no server"; exit 1; }
kill -9 "$server"
wine "$client" signal TrovelleCellsGo >/dev/null 2>&1
wait "$cells"
status=$?
echo "handler after the kill: $(tr -d '\r' <"$log" | grep 'second cell') (exit $status)"
[ $status -eq 0 ] || { echo "FAIL: the cell after the kill showed a wrong size"; exit 1; }
wait_for_wine_session 60
echo "PASS"
