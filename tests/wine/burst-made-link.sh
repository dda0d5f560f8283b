#!/usr/bin/env bash
# A folder asked for through a link whose target was made in one burst from Linux while the
# server watched the drive: Wine reports nothing below folders made that fast until the folders
# above them are opened, which the walk does for a link's target as for a requested folder.
# Only the Linux side makes a burst that fast, so this runs as a script.
set -uo pipefail
source "$(dirname "$0")/cache-client.sh"
links="$DRIVES/fixed/BurstLinks"
trap release_server EXIT
rm -rf "$links"
mkdir -p "$links/holder"
wait_for_wine_session 60
expect "the server watches the drive" 'D:\Sample' "$(size_of 'D:\Sample')"

mkdir -p "$links/made/in/one/burst"
head -c 1000 /dev/zero > "$links/made/in/one/burst/file"
ln -s ../made/in/one/burst "$links/holder/link"
sleep 3  # past the settling of new folders: what is kept counts
expect "the target counts through the link" 'D:\BurstLinks\holder' 1000
head -c 3000 /dev/zero > "$links/made/in/one/burst/file"
expect "its growth reaches the folder asked through the link" 'D:\BurstLinks\holder' 3000 20
rm -rf "$links"
echo "PASS"
