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
