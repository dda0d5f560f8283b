#!/usr/bin/env bash
# Runs a Windows program in the project's Wine prefix; its exit code passes through.
# Output goes through a file: a process the program starts (a COM server) inherits the output
# handles, and a caller reading a pipe would otherwise wait for that process too.
source "$(dirname "$0")/wine-env.sh"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
wine "$@" >"$log" 2>&1
status=$?
cat "$log"
exit $status
