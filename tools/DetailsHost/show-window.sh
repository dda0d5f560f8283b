#!/usr/bin/env bash
# Shows the Details-view host's window, with the toolbar band docked above the list, on a
# private display for a few seconds and keeps a picture of it:
#   show-window.sh [FOLDER] [PICTURE.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
folder=${1:-'D:\Sample'}
picture=${2:-$TROVELLE_BUILD/screenshots/details-host.png}
mkdir -p "$(dirname "$picture")"
shot="$WINEPREFIX/drive_c/details-host.bmp"
rm -f "$shot"
"$root/scripts/wine-run-display.sh" "C:\\Program Files\\Trovelle Pro\\Tools\\DetailsHost.exe" \
    --window --seconds 5 --picture 'C:\details-host.bmp' "$folder"
if [ ! -s "$shot" ]; then
    echo "The host saved no picture" >&2
    exit 1
fi
convert "$shot" "$picture" 2>/dev/null || cp "$shot" "${picture%.*}.bmp"
echo "Saved $picture"
