#!/usr/bin/env bash
# Load test of quillot-server with wrk: requests per second and latency
# percentiles for each target.
#
# Usage: bench/load.sh [BASE_URL]
#   Without BASE_URL the script starts build/bin/quillot-server on a free
#   port, over the application folder and a temporary data folder, and stops
#   it afterwards. With BASE_URL (http://host:port/) it uses that server.
#
# Environment:
#   DURATION=10s CONNECTIONS=50 THREADS=2   wrk's settings
#   APP=app                                  application folder (own server)
#   SERVER=build/bin/quillot-server          the program (own server)
#   STATIC_PATH=/static/...                  static file (default: the first
#                                            file of the app's static folder)
#   TEMPLATE_PATH=/login                     a page rendered from its template
#   DB_PATH=/PurchaseOrderList               a page that reads the database
#   COOKIE="CSESSIONID=..."                  sent with every request (pages
#                                            behind sign-in)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
duration="${DURATION:-10s}"
connections="${CONNECTIONS:-50}"
threads="${THREADS:-2}"
app="${APP:-$root/app}"

command -v wrk >/dev/null || { echo "load.sh: wrk is missing (scripts/setup.sh installs it)" >&2; exit 1; }

work="$(mktemp -d)"
server_pid=""
cleanup() {
    if [ -n "$server_pid" ]; then
        kill -TERM "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# A static target: the app's first static file, or a file of our own.
static_path="${STATIC_PATH:-}"
if [ -z "$static_path" ] && [ -d "$app/static" ]; then
    first="$(cd "$app/static" && find . -type f ! -name '.*' | sort | head -n 1)"
    [ -n "$first" ] && static_path="/static/${first#./}"
fi

if [ $# -ge 1 ]; then
    base="${1%/}"
else
    server="${SERVER:-$root/build/bin/quillot-server}"
    if [ ! -x "$server" ]; then
        echo "load.sh: building quillot-server" >&2
        ninja -C "$root/build" quillot-server >/dev/null
    fi
    if [ -z "$static_path" ]; then
        # No static files in the app yet: serve from a small app of our own.
        app="$work/app"
        mkdir -p "$app/static"
        head -c 4096 /dev/zero | tr '\0' 'x' > "$app/static/bench.css"
        static_path="/static/bench.css"
    fi
    exec 3< <(exec "$server" --port 0 --app "$app" --data "$work/data" 2>"$work/server.log")
    server_pid=$!
    if ! read -r -t 30 address <&3; then
        echo "load.sh: the server did not start:" >&2
        cat "$work/server.log" >&2
        exit 1
    fi
    base="${address%/}"
fi

headers=()
[ -n "${COOKIE:-}" ] && headers=(-H "Cookie: $COOKIE")

run() {
    local name="$1" path="$2"
    local status
    status="$(curl -s -o /dev/null -w '%{http_code}' ${COOKIE:+-H "Cookie: $COOKIE"} "$base$path" || true)"
    echo "== $name: $base$path (HTTP $status; $connections connections, $threads threads, $duration)"
    wrk --latency -t "$threads" -c "$connections" -d "$duration" "${headers[@]}" "$base$path"
    echo
}

run "static file" "${static_path:?no static file to load}"
[ -n "${TEMPLATE_PATH:-}" ] && run "template page" "$TEMPLATE_PATH"
[ -n "${DB_PATH:-}" ] && run "database page" "$DB_PATH"
exit 0
