#!/usr/bin/env bash
# Installs build/TrovellePro.msi into the project's Wine prefix as a user would, quietly and per
# machine (a build installed before, by the package or by install.sh, is replaced), then puts
# the tools beside it. msiexec's exit code is checked; its log stays in the prefix.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
package=$TROVELLE_BUILD/TrovellePro.msi
[ -f "$package" ] || { echo "$package is missing: make msi" >&2; exit 1; }
staging=$WINEPREFIX/drive_c/trovelle-package
mkdir -p "$staging"
cp -f "$package" "$staging/"
cd "$WINEPREFIX/drive_c"  # a working directory Wine can map

# Let Wine wind down first: a cache server of an earlier run would still be listed with COM.
wineserver -k >/dev/null 2>&1 || true
# REINSTALLMODE=amus: files that install.sh copied into the folder (not the package's) are
# replaced whatever their dates and sizes.
status=0
"$here/wine-run.sh" msiexec /i 'C:\trovelle-package\TrovellePro.msi' /qn REINSTALLMODE=amus \
    /l*v 'C:\trovelle-package\install.log' >/dev/null || status=$?
if [ $status != 0 ]; then
    echo "msiexec /i failed with exit code $status; see $staging/install.log" >&2
    exit 1
fi
echo "Installed $(basename "$package") with msiexec (exit code 0)"
"$here/install.sh" --tools
