#!/usr/bin/env bash
# The main job: measures a folder with the real Windows binaries in the project's Wine prefix.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
folder=${1:-'D:\Sample'}
exec wine "$TROVELLE_BUILD/win/tools/MeasureFolder.exe" "$folder"
