#!/usr/bin/env bash
# Builds the Windows Installer package from the built deliverables (make native windows first):
#   build-msi.sh [--version X.Y.Z] [--out FILE.msi]
# The version defaults to the VERSION file's; the package to build/TrovellePro.msi.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TROVELLE_BUILD:-$root/build}
win=$build/win
folder='Trovelle Pro'
version=$(head -n1 "$root/VERSION")
out=$build/TrovellePro.msi
while [ $# -gt 0 ]; do
    case "$1" in
        --version) version=$2; shift 2 ;;
        --out) out=$2; shift 2 ;;
        *) echo "usage: $0 [--version X.Y.Z] [--out FILE.msi]" >&2; exit 2 ;;
    esac
done

work=$(mktemp -d "$build/msi-work.XXXXXX")
trap 'rm -rf "$work"' EXIT
files=$work/files
mkdir -p "$files"
cp "$win/TrovexCache/TrovexCache.exe" "$win/Trovex/Trovex.dll" "$win/TrovexBar/TrovexBar.dll" \
   "$win/TrovexProperties/TrovexProperties.exe" "$win/TrovexProperties/TrovellePro.chm" \
   "$win/TrovelleBrowser/TrovelleBrowser.exe" "$win/TrovelleSize/TrovelleSize.exe" \
   "$win/installer/TrovelleSetupActions.dll" "$root/TrovexProperties/res/Trovelle.ico" "$files/"

# wixl finds sources relative to the .wxs files: both sit beside the staged files.
cp "$root/installer/TrovellePro.wxs" "$work/"
# The COM deliverables with the registry entries their own registration writes.
"$build/native/installer/trovelle-wix-registry" --out "$work/ComServers.wxs" \
    --directory productFolder --group ComServers --folder "[ProgramFiles64Folder]$folder" \
    --files files \
    --typelib "TrovexCache.exe=$win/TrovexCache/TrovexCache.tlb" \
    --typelib "Trovex.dll=$win/Trovex/Trovex.tlb" \
    --typelib "TrovexBar.dll=$win/TrovexBar/TrovexBar.tlb"

# wixl only warns about what it does not support and leaves it out: that is a failure here.
(cd "$work" && wixl -a x64 -D "Version=$version" -D Files=files -D "Folder=$folder" \
    -o package.msi TrovellePro.wxs ComServers.wxs) 2>"$work/wixl.log" || {
    cat "$work/wixl.log" >&2
    exit 1
}
if grep -qE 'WARNING|CRITICAL' "$work/wixl.log"; then
    cat "$work/wixl.log" >&2
    exit 1
fi
# wixl drops UpgradeVersion/@IncludeMaximum: set the inclusive bounds (0x100 | 0x200) so that a
# build of the same version replaces the installed one too. The column is part of the table's
# key, so the table is exported, edited and imported again; then checked.
msiinfo export "$work/package.msi" Upgrade >"$work/Upgrade.idt"
sed -i 's/\t256\t\tTROVELLE_REPLACED\r$/\t768\t\tTROVELLE_REPLACED\r/' "$work/Upgrade.idt"
msibuild "$work/package.msi" -i "$work/Upgrade.idt"
msiinfo export "$work/package.msi" Upgrade | grep -q $'\t768\t\tTROVELLE_REPLACED' || {
    echo "the package's upgrade row could not be set" >&2
    exit 1
}
mv "$work/package.msi" "$out"
echo "Built $out ($version, $(stat -c %s "$out") bytes)"
