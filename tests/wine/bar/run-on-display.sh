#!/usr/bin/env bash
# Runs a Windows test program on a display of its own (scripts/wine-run-display.sh), after the
# prefix's previous Wine session has ended: a desktop process left over from a run on an
# earlier, now closed display makes every window creation of the next run fail.
source "$(dirname "$0")/../../../scripts/wine-env.sh"
timeout 30 wineserver -w 2>/dev/null
exec "$(dirname "$0")/../../../scripts/wine-run-display.sh" "$@"
