#!/usr/bin/env bash
# Installs the built Windows deliverables into the project's Wine prefix, all in one folder as
# on a real machine, and registers them there (what the tests use). The tools go into a Tools
# folder beside them and the test programs into Tests. With --tools only those two are copied
# (make run installs the deliverables through the package, scripts/install-package.sh).
set -euo pipefail
tools_only=0
[ "${1:-}" = --tools ] && tools_only=1
source "$(dirname "$0")/wine-env.sh"
WIN_BUILD=$TROVELLE_BUILD/win
folder="$WINEPREFIX/drive_c/Program Files/Trovelle Pro"
install_dir='C:\Program Files\Trovelle Pro'
mkdir -p "$folder/Tools"
cd "$WINEPREFIX/drive_c"  # a working directory Wine can map

# A running cache server would keep its old program file busy.
wineserver -k >/dev/null 2>&1 || true

if [ $tools_only = 0 ] && [ -f "$WIN_BUILD/TrovexCache/TrovexCache.exe" ]; then
    cp "$WIN_BUILD/TrovexCache/TrovexCache.exe" "$folder/"
    wine "$install_dir\\TrovexCache.exe" /RegServer
fi
for dll in Trovex/Trovex.dll TrovexBar/TrovexBar.dll; do
    if [ $tools_only = 0 ] && [ -f "$WIN_BUILD/$dll" ]; then
        cp "$WIN_BUILD/$dll" "$folder/"
        wine regsvr32 /s "$install_dir\\$(basename "$dll")"
    fi
done
# The settings program and its help file, which it looks for beside itself, the window and the
# console program.
for file in TrovexProperties/TrovexProperties.exe TrovexProperties/TrovellePro.chm \
            TrovelleBrowser/TrovelleBrowser.exe TrovelleSize/TrovelleSize.exe; do
    if [ $tools_only = 0 ] && [ -f "$WIN_BUILD/$file" ]; then
        cp -f "$WIN_BUILD/$file" "$folder/"
    fi
done
for tool in tools/DetailsHost tools/CacheClient tools/BrowserTour bench/bench_cache_server bench/bench_watch bench/bench_listing bench/bench_columns bench/bench_browser bench/bench_treemap bench/bench_size; do
    if [ -f "$WIN_BUILD/$tool.exe" ]; then
        cp "$WIN_BUILD/$tool.exe" "$folder/Tools/"
    fi
done

# The Windows-side test programs run from the prefix too (see tests/wine/CMakeLists.txt).
mkdir -p "$folder/Tests"
for test in "$WIN_BUILD"/tests/wine/wine_*.exe; do
    [ -f "$test" ] && cp -f "$test" "$folder/Tests/"
done
