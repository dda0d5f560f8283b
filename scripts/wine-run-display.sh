#!/usr/bin/env bash
# Runs a Windows program like wine-run.sh, on a display of its own: a fresh Xvfb that ends with
# the program, so windows, dialogs and menus can be created and captured.
set -u
here=$(dirname "$0")
source "$here/wine-env.sh"
# A Wine session goes on with the desktop of the display it started on: a leftover session from a
# run on another (or no) display would make every window creation of this one fail. Let it end.
wait_for_wine_session 30
fdfile=$(mktemp)
# TROVELLE_SCREEN sizes the display (a Wine virtual desktop must fit on it to be captured).
Xvfb -displayfd 3 -screen 0 "${TROVELLE_SCREEN:-1024x768}x24" -nolisten tcp 3>"$fdfile" \
    >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -f "$fdfile"' EXIT
for _ in $(seq 50); do [ -s "$fdfile" ] && break; sleep 0.1; done
if [ ! -s "$fdfile" ]; then
    echo "Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=:$(head -n1 "$fdfile")
"$here/wine-run.sh" "$@"
