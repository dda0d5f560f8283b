#!/usr/bin/env bash
# Runs a Windows test program on a display of its own (scripts/wine-run-display.sh), after the
# prefix's previous Wine session has ended: a desktop process left over from a run on an
# earlier, now closed display makes every window creation of the next run fail.
# Pictures the program saved as .bmp into $TROVELLE_SCREENSHOTS are turned into .png files.
here=$(dirname "$0")
source "$here/../../../scripts/wine-env.sh"
timeout 30 wineserver -w 2>/dev/null
"$here/../../../scripts/wine-run-display.sh" "$@"
status=$?
if [ -n "${TROVELLE_SCREENSHOTS:-}" ] && command -v convert >/dev/null; then
    for picture in "$TROVELLE_SCREENSHOTS"/*.bmp; do
        [ -f "$picture" ] && convert "$picture" "${picture%.bmp}.png" && rm -f "$picture"
    done
fi
exit $status
