#!/usr/bin/env bash
# Runs a Windows test program inside Wine's virtual desktop on a display of its own, so that the
# windows it drives have frames and titles (and its pictures show them). Wine's explorer does not
# pass the program's exit code on, so the result is read from GoogleTest's report.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/wine-env.sh"
report_name="desktop-run-$$.xml"
report="$WINEPREFIX/drive_c/$report_name"
rm -f "$report"
program=$1
shift
TROVELLE_SCREEN=1280x800 "$here/run-with-display.sh" explorer /desktop=TrovelleWindows,1280x800 "$program" "$@" \
    "--gtest_output=xml:C:\\$report_name"
if [ ! -s "$report" ]; then
    echo "The test program left no report: it did not run to its end" >&2
    exit 1
fi
# The report's first element counts the whole run.
summary=$(grep -m1 '<testsuites' "$report")
rm -f "$report"
tests=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<<"$summary")
failures=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<<"$summary")
errors=$(sed -n 's/.* errors="\([0-9]*\)".*/\1/p' <<<"$summary")
if [ "${tests:-0}" -gt 0 ] && [ "${failures:-1}" = 0 ] && [ "${errors:-1}" = 0 ]; then
    exit 0
fi
echo "tests=$tests failures=$failures errors=$errors" >&2
exit 1
