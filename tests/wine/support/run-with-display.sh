#!/usr/bin/env bash
# Runs a Windows test program on a display of its own, then copies the screenshots it saved
# in the prefix to build/screenshots.
set -u
scripts=$(cd "$(dirname "$0")/../../../scripts" && pwd)
source "$scripts/wine-env.sh"
"$scripts/wine-run-display.sh" "$@"
status=$?
shots="$WINEPREFIX/drive_c/screenshots"
if compgen -G "$shots/*.bmp" >/dev/null; then
    mkdir -p "$TROVELLE_BUILD/screenshots"
    for picture in "$shots"/*.bmp; do
        png="$TROVELLE_BUILD/screenshots/$(basename "${picture%.bmp}").png"
        convert "$picture" "$png" 2>/dev/null || cp -f "$picture" "$TROVELLE_BUILD/screenshots/"
    done
fi
exit $status
