#!/usr/bin/env bash
# Prints the cache server's resident memory per cached folder: a server that has measured one
# small folder, then the same server once it holds a tree of 50,050 folders (50 folders of 1,000,
# a file in each). Read from Linux (/proc), as the system sees the process; a measurement only.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/wine-env.sh"
# Names of the lengths real folders have (17 and 28 characters): a folder's name is stored with it.
# The tree goes again afterwards: on the drive the tests walk, showing D:\ would measure it cold.
tree="$DRIVES/fixed/Tree50k"
folders=50050
out=$(mktemp)
trap 'rm -rf "$out" "$tree"' EXIT
rm -rf "$tree"
python3 - "$tree" <<'MAKE'
import os, sys
for a in range(50):
    for b in range(1000):
        folder = os.path.join(sys.argv[1], f"Project folder {a:02}", f"Subfolder of the project {b:03}")
        os.makedirs(folder)
        with open(os.path.join(folder, "notes.txt"), "w") as notes:
            notes.write("x" * (a + b))
MAKE

client='C:\Program Files\Trovelle Pro\Tools\CacheClient.exe'
ask() { wine "$client" "$@" >"$out" 2>&1 || { cat "$out" >&2; exit 1; }; }
server_rss_kib() {
    local pid
    pid=$(cache_servers_of_prefix | head -n1)
    [ -n "$pid" ] || { echo "no cache server runs" >&2; exit 1; }
    awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status"
}

wait_for_wine_session 30
ask size 'D:\Sample'
sleep 1
before=$(server_rss_kib)
start=$(date +%s.%N)
ask size 'D:\Tree50k'
elapsed=$(echo "$(date +%s.%N) - $start" | bc)
sleep 2  # let the scan threads settle
after=$(server_rss_kib)
ask release
wait_for_wine_session 30
printf 'cache server resident memory: %d KiB with one small folder, %d KiB holding %d folders more\n' \
    "$before" "$after" "$folders"
printf '  (cold request %.1f s): %.1f bytes per cached folder (target < 150)\n' "$elapsed" \
    "$(echo "($after - $before) * 1024 / $folders" | bc -l)"
