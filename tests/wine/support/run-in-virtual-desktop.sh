#!/usr/bin/env bash
# Runs a Windows test program like run-with-display.sh, inside a Wine virtual desktop of its own
# (a desktop window that draws the frames and title bars Xvfb alone leaves out), so the pictures
# the program saves show its windows whole. Wine gives the program its desktop by the program's
# file name (AppDefaults); the exit code is the program's own.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/wine-env.sh"
program=$(basename "${1//\\//}")
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v TrovelleTests /d 1024x768 /f >/dev/null 2>&1
wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\Explorer" /v Desktop /d TrovelleTests \
    /f >/dev/null 2>&1
exec "$here/run-with-display.sh" "$@"
