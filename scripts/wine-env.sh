# Sourced by the scripts: where the project's own Wine prefix and test drives live.
TROVELLE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TROVELLE_BUILD=${TROVELLE_BUILD:-$TROVELLE_ROOT/build}
# The Wine tests run side by side in lanes, each a prefix with drives of its own; CTest hands a
# test its lane as "id:N,slots:1". Lane 0 is the project's prefix (the demo's and the benchmarks').
if [ -z "${TROVELLE_LANE:-}" ] && [[ "${CTEST_RESOURCE_GROUP_0_LANES:-}" =~ id:([0-9]+) ]]; then
    TROVELLE_LANE=${BASH_REMATCH[1]}
fi
export TROVELLE_LANE=${TROVELLE_LANE:-0}
WINE_ROOT=$TROVELLE_BUILD/wine
[ "$TROVELLE_LANE" = 0 ] || WINE_ROOT=$TROVELLE_BUILD/wine/lane$TROVELLE_LANE
# TROVELLE_WINEPREFIX names another prefix (the installer tests use a fresh one of their own).
export WINEPREFIX=${TROVELLE_WINEPREFIX:-$WINE_ROOT/prefix}
export WINEDEBUG=${TROVELLE_WINEDEBUG:--all}
# No Mono or Gecko prompts; no Linux menu entries for the shortcuts an installer makes.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
# An empty home keeps the prefix's shell folders from linking into the Linux home.
export HOME=$WINE_ROOT/home
DRIVES=$WINE_ROOT/drives

# The process ids of this prefix's cache servers: the servers of other prefixes on the machine
# (the other lanes' tests) are none of this prefix's business.
cache_servers_of_prefix() {
    local pid
    for pid in $(pgrep -f '^[A-Za-z]:.*TrovexCache\.exe'); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
            echo "$pid"
    done
    return 0
}

# Waits until the prefix's Wine session has ended, at most $1 seconds. A cache server left
# running (by `make run`, say) lives until a client releases it, so a plain `wineserver -w`
# could wait for good: what still runs after the bound is ended, and said so.
wait_for_wine_session() {
    if ! timeout "$1" wineserver -w 2>/dev/null; then
        echo "Wine programs of $WINEPREFIX still run after $1 s (a cache server?): ending them" >&2
        wineserver -k 2>/dev/null || true
    fi
}
