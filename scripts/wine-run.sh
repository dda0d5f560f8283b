#!/usr/bin/env bash
# Runs a Windows program in the project's Wine prefix; its exit code passes through.
# Output goes through a file: a process the program starts (a COM server) inherits the output
# handles, and a caller reading a pipe would otherwise wait for that process too. The file is
# shown as it grows, so that a run stopped from outside (a test's timeout) still shows how far
# it got.
source "$(dirname "$0")/wine-env.sh"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
wine "$@" >"$log" 2>&1 &
program=$!
tail -n +1 -s 0.1 -f --pid=$program "$log" &
shown=$!
wait $program
status=$?
wait $shown
exit $status
