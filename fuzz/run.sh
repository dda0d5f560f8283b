#!/usr/bin/env bash
# Builds and runs the fuzz targets (build/fuzz, clang).
#   run.sh build         configures and builds every target
#   run.sh check NAME    runs NAME for a few seconds from its stored corpus (the CTest test)
#   run.sh campaign      runs every target for its share of executions (make fuzz), then
#                        prints each one's executions and time
# New inputs go to scratch folders under build/fuzz, never into fuzz/corpus/; an input that makes
# a target fail is kept in fuzz/crashes/NAME/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${TROVELLE_FUZZ_BUILD:-$root/build/fuzz}
jobs=${JOBS:-1}
check_seconds=${FUZZ_CHECK_SECONDS:-5}

build_all() {
    mkdir -p "$build"
    if ! { cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DTROVELLE_FUZZ=ON \
                 -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
           cmake --build "$build" --target fuzzers -j "$jobs"; } >"$build/build.log" 2>&1; then
        tail -n 40 "$build/build.log" >&2
        echo "building the fuzz targets failed; the whole log: $build/build.log" >&2
        return 1
    fi
    echo "fuzz targets built in $build"
}

# Runs target $1 with the given options and folders; its output goes to $log.
run_target() {
    local name=$1
    shift
    mkdir -p "$root/fuzz/crashes/$name"
    "$build/$name" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$root/fuzz/crashes/$name/" "$@" >"$log" 2>&1
}

check() {
    local name=$1
    local scratch
    scratch=$(mktemp -d "$build/check-$name.XXXXXX")
    log=$scratch.log
    # The first folder receives what the run finds; the stored corpus is only read.
    local status=0
    run_target "$name" -max_total_time="$check_seconds" "$scratch" "$root/fuzz/corpus/$name" ||
        status=$?
    if [ "$status" != 0 ]; then
        tail -n 60 "$log"
    else
        grep -E '^(Done|stat::number_of_executed_units)' "$log" || true
    fi
    rm -rf "$scratch" "$log"
    return "$status"
}

campaign() {
    build_all
    local total_runs=0 total_ms=0 failed=0
    printf '%-16s %14s %10s %12s\n' target executions seconds exec/s
    while read -r name runs; do
        [ -n "$name" ] || continue
        local scratch=$build/corpus/$name
        mkdir -p "$scratch" "$build/logs"
        cp -n "$root/fuzz/corpus/$name"/* "$scratch"/ 2>/dev/null || true
        log=$build/logs/$name.log
        local start end status=0
        start=$(date +%s%N)
        run_target "$name" -runs="$runs" "$scratch" || status=$?
        end=$(date +%s%N)
        local ms=$(((end - start) / 1000000))
        local done_runs
        done_runs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log" | tail -n 1)
        done_runs=${done_runs:-0}
        printf '%-16s %14d %10d.%03d %12d\n' "$name" "$done_runs" $((ms / 1000)) $((ms % 1000)) \
            $((done_runs * 1000 / (ms > 0 ? ms : 1)))
        total_runs=$((total_runs + done_runs))
        total_ms=$((total_ms + ms))
        if [ "$status" != 0 ]; then
            failed=1
            echo "$name failed (exit $status); its log: $log" >&2
            tail -n 60 "$log" >&2
        fi
    done <"$build/fuzzers.list"
    printf '%-16s %14d %10d.%03d\n' total "$total_runs" $((total_ms / 1000)) $((total_ms % 1000))
    return "$failed"
}

case "${1:-}" in
    build) build_all ;;
    check) check "${2:?target name}" ;;
    campaign) campaign ;;
    *) echo "usage: $0 build | check NAME | campaign" >&2; exit 2 ;;
esac
