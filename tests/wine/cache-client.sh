# Sourced by the script tests: the cache server asked through CacheClient.exe, its answers read
# through a file (see wine-run.sh), and a check that an answer reaches what is expected.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
cd "$WINEPREFIX/drive_c"
client='C:\Program Files\Trovelle Pro\Tools\CacheClient.exe'
client_log=$(mktemp)

size_of() {  # the server's answer for a folder
    wine "$client" size "$1" >"$client_log" 2>&1
    tr -d '\r' <"$client_log" | cut -f1 | head -n1
}
expect() {  # expect <what> <folder> <bytes> [tries]: the answer reaches <bytes> within the tries
    local answer
    for _ in $(seq "${4:-1}"); do
        answer=$(size_of "$2")
        [ "$answer" = "$3" ] && { echo "ok: $1 ($answer)"; return 0; }
        sleep 0.5
    done
    echo "FAIL: $1: $2 answered '$answer', expected $3"
    exit 1
}
release_server() {  # gives the server back its own reference and waits for Wine to wind down
    wine "$client" release >/dev/null 2>&1
    rm -f "$client_log"
    wait_for_wine_session 60
}
