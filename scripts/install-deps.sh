#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages, only when it is missing.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

for pkg in cmake g++ make mingw-w64 mingw-w64-tools libwine-dev wine wine64 fonts-wine \
           xvfb xauth imagemagick googletest libgtest-dev fp-utils clang libclang-rt-14-dev \
           msitools wixl wixl-data; do
    have_pkg "$pkg" || need+=("$pkg")
done

if [ ${#need[@]} -gt 0 ]; then
    echo "Installing: ${need[*]}"
    if [ "$(id -u)" != 0 ]; then
        echo "Installing packages needs root (apt-get)." >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
have_cmd x86_64-w64-mingw32-g++-posix || { echo "mingw-w64 posix compiler missing" >&2; exit 1; }
have_cmd wine || { echo "wine missing" >&2; exit 1; }
have_cmd wixl || { echo "wixl (msitools) missing" >&2; exit 1; }
