#!/usr/bin/env bash
# Memory per signed-in visitor: starts build/bin/quillot-server on the real
# application (app/, build/lib/libquillot.so) over a fresh data folder, signs
# in VISITORS visitors to the demo company, each with a session of its own,
# lets each open the notices page, and reads the server's resident memory
# from /proc before the first and after the last.
#
# Usage: bench/visitors.sh
#
# Environment:
#   VISITORS=1000                     visitors to sign in
#   PARALLEL=4                        visitors signing in at once
#   SERVER=build/bin/quillot-server   the program
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
visitors="${VISITORS:-1000}"
parallel="${PARALLEL:-4}"
server="${SERVER:-$root/build/bin/quillot-server}"

command -v curl >/dev/null || { echo "visitors.sh: curl is missing" >&2; exit 1; }
[ -x "$server" ] || { echo "visitors.sh: no $server (build first)" >&2; exit 1; }

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

exec 3< <(exec "$server" --port 0 --app "$root/app" --data "$work/data" --max-sessions $((visitors + 100)) \
    2>>"$work/server.log")
server_pid=$!
if ! read -r -t 60 address <&3; then
    echo "visitors.sh: the server did not start:" >&2
    cat "$work/server.log" >&2
    exit 1
fi
base="${address%/}"

# Resident memory of the server in KB.
resident() {
    awk '$1 == "VmRSS:" { print $2 }' "/proc/$server_pid/status"
}

# One visitor: signs in with a session of its own, then opens the notices
# page; prints the page's status.
visit() {
    local cookie
    cookie="$(curl -s -D - -o /dev/null -d 'dbname=demo&userid=SYSTEM&passwd=demo' "$base/login.htm" | tr -d '\r' |
        sed -n 's/^[Ss]et-[Cc]ookie: \(CSESSIONID=[^;]*\).*/\1/p' | head -n 1)"
    if [ -z "$cookie" ]; then
        echo "no-sign-in"
        return
    fi
    curl -s -o /dev/null -w '%{http_code}\n' -H "Cookie: $cookie" "$base/notice.htm"
}
export -f visit
export base

# The first visitor warms the server (the application's templates, the
# company's connection, the password checking threads).
first="$(visit)"
[ "$first" = 200 ] || { echo "visitors.sh: the first visitor got $first" >&2; cat "$work/server.log" >&2; exit 1; }
before="$(resident)"
start=$SECONDS
answers="$(seq 2 "$visitors" | xargs -P "$parallel" -I{} bash -c visit | sort | uniq -c | tr '\n' ' ')"
after="$(resident)"

echo "visitors:          $visitors (signed in and on the notices page; answers: $answers)"
echo "resident memory:   $((before / 1024)) MB after the first visitor, $((after / 1024)) MB after the last"
echo "per visitor:       $(((after - before) / (visitors > 1 ? visitors - 1 : 1))) KB"
echo "time:              $((SECONDS - start)) s"
