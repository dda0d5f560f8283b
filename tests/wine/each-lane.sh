#!/usr/bin/env bash
# Usage: each-lane.sh LANES SCRIPT [ARGS...]
# Runs SCRIPT once for every Wine lane, all at once (most of it is Wine starting and waiting),
# making the lane's prefix first when it has none. Fails when any lane failed; each lane's
# output goes through a file (a COM server a script starts could hold a pipe open).
set -u
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
lanes=$1
shift
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
pids=()
for lane in $(seq 0 $((lanes - 1))); do
    (
        export TROVELLE_LANE=$lane
        "$scripts/wine-prefix.sh" && "$@"
    ) >"$logs/$lane" 2>&1 &
    pids+=($!)
done
status=0
for lane in "${!pids[@]}"; do
    wait "${pids[$lane]}" || { status=1; echo "lane $lane failed:"; }
    cat "$logs/$lane"
done
exit $status
