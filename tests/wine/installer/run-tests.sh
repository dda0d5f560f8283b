#!/usr/bin/env bash
# Runs the package tests in a fresh Wine prefix of their own: builds the current package and an
# older one (the same files under a lower version), stages them with loose copies of the
# deliverables (whose own registration the package is compared with), and runs
# wine_installer_tests there on a display of its own. The prefix goes after a pass.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${TROVELLE_BUILD:-$root/build}
win=$build/win
export TROVELLE_WINEPREFIX=$build/wine/installer-prefix
source "$root/scripts/wine-env.sh"

current=$(head -n1 "$root/VERSION")
IFS=. read -r major minor _ <<<"$current"
older=$major.$((minor - 1)).0
export TROVELLE_CURRENT_VERSION=$current TROVELLE_OLDER_VERSION=$older

if [ -d "$WINEPREFIX" ]; then
    timeout 30 wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
fi
"$root/scripts/wine-prefix.sh" >/dev/null

cd "$WINEPREFIX/drive_c"  # a working directory Wine can map
stage="$WINEPREFIX/drive_c/Trovelle Installer Test"
mkdir -p "$stage/files"
"$root/installer/build-msi.sh" --out "$stage/TrovellePro-$current.msi" >/dev/null
"$root/installer/build-msi.sh" --version "$older" --out "$stage/TrovellePro-$older.msi" >/dev/null
cp "$win/TrovexCache/TrovexCache.exe" "$win/Trovex/Trovex.dll" "$win/TrovexBar/TrovexBar.dll" \
   "$win/TrovexProperties/TrovexProperties.exe" "$win/TrovexProperties/TrovellePro.chm" \
   "$stage/files/"
cp "$win/tests/wine/wine_installer_tests.exe" "$stage/"

status=0
"$root/scripts/wine-run-display.sh" 'C:\Trovelle Installer Test\wine_installer_tests.exe' || status=$?
timeout 30 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
if [ $status = 0 ]; then
    rm -rf "$WINEPREFIX"
else
    echo "The prefix is kept for a look: $WINEPREFIX (msiexec.log in its staging folder)" >&2
fi
exit $status
