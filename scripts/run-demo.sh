#!/usr/bin/env bash
# The main job: a folder listed the way Explorer's Details view lists it, with the three size
# columns filled by Trovex.dll and the folder totals answered by TrovexCache.exe, which COM
# starts on first use. For the sample folder it then grows the folder and lists it again, to show
# the server following the change, prints it by size with the console program, and finally opens
# the folder in Trovelle Pro's own window (in Wine's virtual desktop on a private display): the
# folder tree, the list sorted by size, largest first, and the treemap, under the docked toolbar
# band, after a walk into its largest subfolder and back; the picture is kept under
# build/screenshots.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
folder=${1:-'D:\Sample'}
tools='C:\Program Files\Trovelle Pro\Tools'
dump="$WINEPREFIX/drive_c/trovelle-demo-dump.txt"
cd "$WINEPREFIX/drive_c"

# A Wine program's output, read through a file: a server COM starts for it inherits its
# standard handles, and would hold a pipe open for as long as it lives.
run_to_screen() {
    local output status=0
    output=$(mktemp)
    "$@" >"$output" 2>&1 || status=$?
    grep -v '^wine: ' "$output" || true
    rm -f "$output"
    return $status
}

show() {
    echo
    echo "== $1"
    run_to_screen "$here/wine-run.sh" "$tools\\DetailsHost.exe" "$folder"
}
cached_folders() {
    "$here/wine-run.sh" "$tools\\CacheClient.exe" dump 'C:\trovelle-demo-dump.txt' >/dev/null
    grep -c '^Path valid' "$dump" || true
}

show "$folder through the Details-view host"
echo "TrovexCache.exe is running: $(cache_servers_of_prefix | wc -l) process," \
     "$(cached_folders) folders in its tree"

if [ $# -eq 0 ]; then
    added="$DRIVES/fixed/Sample/Documents/added by the demo.bin"
    head -c 1048576 /dev/zero >"$added"
    sleep 1
    show "after 1 MB was added to D:\\Sample\\Documents (the server saw the change)"
    rm -f "$added"
fi
echo
echo "== TrovelleSize.exe: $folder and its subfolders by size, from the same cache"
run_to_screen "$here/wine-run.sh" 'C:\Program Files\Trovelle Pro\TrovelleSize.exe' --depth 1 "$folder"
"$here/wine-run.sh" "$tools\\CacheClient.exe" release >/dev/null
rm -f "$dump"

echo
echo "== Trovelle Pro's window: $folder by size, in the tree, the list and the treemap"
picture="$TROVELLE_BUILD/screenshots/trovelle-browser.png"
shot="$WINEPREFIX/drive_c/trovelle-browser.bmp"
rm -f "$shot"
mkdir -p "$(dirname "$picture")"
# Wine's explorer does not pass the tour's exit code on: the picture is its proof.
TROVELLE_SCREEN=1280x800 run_to_screen "$here/wine-run-display.sh" explorer /desktop=TrovellePro,1280x800 \
    "$tools\\BrowserTour.exe" "$folder" 'C:\trovelle-browser.bmp' || true
if [ ! -s "$shot" ]; then
    echo "The window's tour saved no picture" >&2
    exit 1
fi
convert "$shot" "$picture"
echo "Saved $picture"
