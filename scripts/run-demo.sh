#!/usr/bin/env bash
# The main job: a folder listed the way Explorer's Details view lists it, with the three size
# columns filled by Trovex.dll and the folder totals answered by TrovexCache.exe, which COM
# starts on first use. For the sample folder it then grows the folder and lists it again, to show
# the server following the change, and finally shows the folder in the host's window with the
# toolbar band docked (on a private display; the picture is kept under build/screenshots).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
folder=${1:-'D:\Sample'}
tools='C:\Program Files\Trovelle Pro\Tools'
dump="$WINEPREFIX/drive_c/trovelle-demo-dump.txt"
cd "$WINEPREFIX/drive_c"

show() {
    echo
    echo "== $1"
    "$here/wine-run.sh" "$tools\\DetailsHost.exe" "$folder" | grep -v '^wine: '
}
cached_folders() {
    "$here/wine-run.sh" "$tools\\CacheClient.exe" dump 'C:\trovelle-demo-dump.txt' >/dev/null
    grep -c '^Path valid' "$dump" || true
}

show "$folder through the Details-view host"
echo "TrovexCache.exe is running: $(pgrep -fc '^C:.*TrovexCache\.exe' || true) process," \
     "$(cached_folders) folders in its tree"

if [ $# -eq 0 ]; then
    added="$DRIVES/fixed/Sample/Documents/added by the demo.bin"
    head -c 1048576 /dev/zero >"$added"
    sleep 1
    show "after 1 MB was added to D:\\Sample\\Documents (the server saw the change)"
    rm -f "$added"
fi
"$here/wine-run.sh" "$tools\\CacheClient.exe" release >/dev/null
rm -f "$dump"

echo
echo "== the same folder in the host's window, with the TrovexBar band docked above the list"
"$here/../tools/DetailsHost/show-window.sh" "$folder"
