#!/usr/bin/env bash
# Drives that come, go or change while the server runs: a fixed drive added after the server
# started is cached and watched; when its letter is pointed at another folder, the old totals
# are dropped and the new folder's are answered. Drive letters are Wine's links in dosdevices,
# which only the Linux side can re-point, so this runs as a script.
set -uo pipefail
source "$(dirname "$0")/cache-client.sh"
first="$DRIVES/late-1"
second="$DRIVES/late-2"
link="$WINEPREFIX/dosdevices/f:"
cleanup() {
    rm -f "$link"
    wine reg delete 'HKLM\Software\Wine\Drives' /v f: /f >/dev/null 2>&1
    release_server
}
trap cleanup EXIT

rm -rf "$first" "$second"
mkdir -p "$first/Data/sub" "$second/Data"
head -c 1000 /dev/zero > "$first/Data/sub/a"
head -c 5000 /dev/zero > "$second/Data/b"
rm -f "$link"
wait_for_wine_session 60
expect "the server runs before the drive exists" 'D:\Sample' "$(size_of 'D:\Sample')"

ln -s "$first" "$link"
wine reg add 'HKLM\Software\Wine\Drives' /v f: /d hd /f >/dev/null 2>&1
expect "a fixed drive added later is measured" 'F:\Data' 1000
head -c 3000 /dev/zero > "$first/Data/sub/a"
expect "and watched" 'F:\Data' 3000 20

ln -sfn "$second" "$link"
expect "the letter now names another folder: its totals, not the old ones" 'F:\Data' 5000 20
head -c 7000 /dev/zero > "$second/Data/b"
expect "and the new folder is watched" 'F:\Data' 7000 20

rm -f "$link"
expect "the drive is gone: nothing to measure" 'F:\Data' 0 20
third="$DRIVES/late-3"
rm -rf "$third"; mkdir -p "$third/Data/sub"; head -c 3000 /dev/zero > "$third/Data/sub/a"
ln -s "$third" "$link"
expect "it is back: measured and watched again" 'F:\Data' 3000 20
head -c 4000 /dev/zero > "$third/Data/sub/a"
expect "and its changes followed" 'F:\Data' 4000 20
echo "PASS"
