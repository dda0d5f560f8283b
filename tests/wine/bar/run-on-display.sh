#!/usr/bin/env bash
# Runs a Windows test program like support/run-with-display.sh, after the prefix's previous
# Wine session has ended: a desktop process left over from a run on an earlier, now closed
# display makes every window creation of the next run fail.
here=$(dirname "$0")
source "$here/../../../scripts/wine-env.sh"
timeout 30 wineserver -w 2>/dev/null
exec "$here/../support/run-with-display.sh" "$@"
