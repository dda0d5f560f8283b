#!/usr/bin/env bash
# Linux-side fixtures that Windows programs cannot make themselves under Wine: a directory
# symlink loop and the content of the optical drive.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
rm -rf "$DRIVES/fixed/loop"
mkdir -p "$DRIVES/fixed/loop/a"
printf 'abc' > "$DRIVES/fixed/loop/a/f.txt"
ln -s .. "$DRIVES/fixed/loop/a/back"
mkdir -p "$DRIVES/optical/choice/sub"
head -c 2048 /dev/zero > "$DRIVES/optical/choice/sub/f"

# A tree of 20,000 files in 2,021 folders for the stress run and the benchmark, made once:
# creating it from Windows under Wine would take far longer.
big="$DRIVES/fixed/Big20k"
if [ ! -f "$big/done.txt" ]; then
    rm -rf "$big"
    for a in $(seq 0 19); do
        for b in $(seq 0 99); do
            folder="$big/a$a/b$b"
            mkdir -p "$folder"
            for f in 0 1 2 3 4 5 6 7 8 9; do
                printf "%*s" $(( ((a * 100 + b) * 10 + f) % 1000 )) "" > "$folder/f$f.txt"
            done
        done
    done
    printf 'complete' > "$big/done.txt"
fi

# Directory links (Wine shows Linux directory symlinks as reparse points): a folder holding a
# link to another folder, and a lattice of 30 levels in which every level links twice to the
# next, so that a walk that lists every path would never end.
links="$DRIVES/fixed/Links"
rm -rf "$links"
mkdir -p "$links/holder" "$links/target"
head -c 1000 /dev/zero > "$links/target/file"
ln -s ../target "$links/holder/link"
lattice="$DRIVES/fixed/Lattice"
rm -rf "$lattice"
for n in $(seq 0 30); do
    mkdir -p "$lattice/L$n"
    printf 'x' > "$lattice/L$n/f"
    if [ "$n" -lt 30 ]; then
        ln -s "../L$((n + 1))" "$lattice/L$n/x"
        ln -s "../L$((n + 1))" "$lattice/L$n/y"
    fi
done

# A folder the window's live test grows files in (a test removes and re-creates it each run).
live="$DRIVES/fixed/BrowserLive"
rm -rf "$live"
mkdir -p "$live/sub"
head -c 500 /dev/zero > "$live/sub/inner.bin"
head -c 1000 /dev/zero > "$live/grow.bin"


# Sizes as Explorer's Properties counts them: a 100 MB sparse file (nothing of it written), dense
# files, and a second name of one of them (a hard link counts at each name). What they hold and
# take is written beside the folder, as Linux counts it, for the tests to compare with.
ondisk="$DRIVES/fixed/OnDisk"
rm -rf "$ondisk"
mkdir -p "$ondisk/Dense"
truncate -s 100M "$ondisk/sparse.vhd"
head -c 1000000 /dev/zero > "$ondisk/Dense/a.bin"
head -c 4097 /dev/zero > "$ondisk/Dense/b.bin"
ln "$ondisk/Dense/a.bin" "$ondisk/twin.bin"
sync
sizes() { find "$1" -type f -printf '%s %b\n' | awk '{ s += $1; d += $2 * 512 } END { print s, d }'; }
{ sizes "$ondisk"; sizes "$ondisk/Dense"; } > "$DRIVES/fixed/ondisk-expected.txt"
