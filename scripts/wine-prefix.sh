#!/usr/bin/env bash
# Creates the project's Wine prefix (reused when present): no drive maps the Linux root, and one
# real drive of each type is mapped to a folder under the build tree.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

# letter  type      folder
DRIVE_TABLE="d hd fixed
e floppy removable
n network network
r cdrom optical"

# Wine's Recycle Bin is the home's trash, which it uses only when its folders exist (else a
# file sent there is deleted outright).
mkdir -p "$HOME" "$HOME/.local/share/Trash/files" "$HOME/.local/share/Trash/info"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wait_for_wine_session 60
fi

# Z: maps / and reports itself fixed: a scan of all fixed drives would walk the whole system.
rm -f "$WINEPREFIX/dosdevices/z:"

changed=0
while read -r letter type folder; do
    mkdir -p "$DRIVES/$folder"
    link="$WINEPREFIX/dosdevices/$letter:"
    if [ "$(readlink "$link" 2>/dev/null)" != "$DRIVES/$folder" ]; then
        ln -sfn "$DRIVES/$folder" "$link"
        changed=1
    fi
done <<< "$DRIVE_TABLE"
if [ $changed = 1 ] || ! grep -q '"d:"="hd"' "$WINEPREFIX/system.reg"; then
    # Programs of the prefix still running would go on with the drives as they were.
    wineserver -k 2>/dev/null || true
    while read -r letter type folder; do
        wine reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d "$type" /f >/dev/null 2>&1
    done <<< "$DRIVE_TABLE"
    wait_for_wine_session 30
fi

# The sample tree that the demo measures.
sample=$DRIVES/fixed/Sample
if [ ! -d "$sample" ]; then
    mkdir -p "$sample/Documents/Letters" "$sample/Pictures/2026" "$sample/Empty"
    head -c 1536 /dev/zero > "$sample/readme.txt"
    head -c 250000 /dev/zero > "$sample/Documents/report.doc"
    head -c 4096 /dev/zero > "$sample/Documents/Letters/letter-1.txt"
    head -c 8192 /dev/zero > "$sample/Documents/Letters/letter-2.txt"
    head -c 3145728 /dev/zero > "$sample/Pictures/2026/holiday.jpg"
    head -c 123456 /dev/zero > "$sample/Pictures/thumbs.db"
fi
