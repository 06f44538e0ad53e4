#!/usr/bin/env bash
# Load test of quillot-server with wrk: requests per second and latency
# percentiles for a static file, a page rendered from its template alone,
# a page whose action queries SQLite, the notices page of a visitor
# signed in to the demo company of the real application, a list of 100
# suppliers and other business pages, and the static
# file again while sign-ins with a wrong password run back to back (each
# checks a password hash).
#
# Usage: bench/load.sh [BASE_URL]
#   Without BASE_URL the script starts build/bin/quillot-server on a free
#   port and stops it afterwards. Unless TEMPLATE_PATH or DB_PATH are given,
#   it serves a small application of its own through the host tests'
#   application library (build/lib/libhost_TestPlugin.so): a page of a
#   templet that only renders, and a signed-in page whose action reads a
#   SQLite database made for the run. Then it starts a second server on the
#   real application (app/, build/lib/libquillot.so) over a fresh data
#   folder, signs in to the demo company and loads its notices page. With
#   BASE_URL (http://host:port/) it uses that server and the targets given
#   below.
#
# Environment:
#   DURATION=10s CONNECTIONS=50 THREADS=2   wrk's settings
#   APP=app                                  application folder (own server,
#                                            with TEMPLATE_PATH or DB_PATH)
#   SERVER=build/bin/quillot-server          the program (own server)
#   STATIC_PATH=/static/...                  static file (default: the first
#                                            file of the app's static folder)
#   TEMPLATE_PATH=/login                     a page rendered from its template
#   DB_PATH=/PurchaseOrderList               a page that reads the database
#   COOKIE="CSESSIONID=..."                  sent with every request (pages
#                                            behind sign-in)
#   REAL_ARGS="--signin-failures 1000000"    options of the real application's
#                                            server (own server): the failures
#                                            allowed, so that every sign-in of
#                                            the run checks its password
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
duration="${DURATION:-10s}"
connections="${CONNECTIONS:-50}"
threads="${THREADS:-2}"
app="${APP:-$root/app}"
plugin=""

command -v wrk >/dev/null || { echo "load.sh: wrk is missing (scripts/setup.sh installs it)" >&2; exit 1; }
command -v curl >/dev/null || { echo "load.sh: curl is missing" >&2; exit 1; }

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

# The bench application: "bench" renders through the templet "frame" and
# needs nothing else; "whoami" is behind sign-in, and its action reads the
# signed-in visitor's database on every request.
write_bench_app() {
    app="$work/app"
    mkdir -p "$app/static"
    cat > "$app/config.xml" <<'EOF'
<config>
  <login id="guard" page="signin"/>
  <templet id="frame"><page id="bench"/></templet>
  <templet id="inside" login="guard"><page id="whoami"/></templet>
  <page id="signin" templet=""/>
</config>
EOF
    printf '<!DOCTYPE html><html><head><title>{SERVER.SCRIPT_NAME}</title></head><body><tpl:include block/></body></html>\n' > "$app/frame.htm"
    cp "$app/frame.htm" "$app/inside.htm"
    {
        printf '<h1>Bench</h1><ul>'
        for i in $(seq 1 50); do printf '<li>row %d of {SERVER.REQUEST_METHOD} {SERVER.HTTP_HOST}</li>' "$i"; done
        printf '</ul>\n'
    } > "$app/bench.htm"
    printf '<p>{db}: {note}</p>\n' > "$app/whoami.htm"
    head -c 4096 /dev/zero | tr '\0' 'x' > "$app/static/bench.css"
}

# data/bench.db with the table the "whoami" action reads.
make_bench_database() {
    local file="$1" sql="CREATE TABLE notes (id INTEGER PRIMARY KEY AUTOINCREMENT, note TEXT);
INSERT INTO notes (note) VALUES ('the bench database');"
    mkdir -p "$(dirname "$file")"
    if command -v sqlite3 >/dev/null; then
        sqlite3 "$file" "$sql"
    elif command -v python3 >/dev/null; then
        python3 -c 'import sqlite3, sys; c = sqlite3.connect(sys.argv[1]); c.executescript(sys.argv[2]); c.commit()' "$file" "$sql"
    else
        return 1
    fi
}

# 1,000 products in the company database `$1`, each on an open line of a
# purchase order and of a sales order.
seed_stock_products() {
    local sql="WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000)
INSERT INTO zcprdct(prdnm, specs, clsid, unitg, qunty, itmpr) SELECT 'bench ' || i, 'S' || i, 0, 'pc', i, 1.5 FROM n;
INSERT INTO zpordrt(ordid, splid, ordty, amont, excdt, taxrt, stats, paids, disct) VALUES('BENCH-P', 1, 0, 0, '2026-12-01', 0, 3, 0, 0);
INSERT INTO zsordrt(ordid, cltid, ordty, amont, excdt, taxrt, stats, paids, disct) VALUES('BENCH-S', 1, 0, 0, '2026-12-01', 0, 3, 0, 0);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000)
INSERT INTO zpordrd(ordid, linnm, prdnm, specs, unitg, qunty, itmpr, taxrt, pramt, ldngs, invcs) SELECT 'BENCH-P', i, 'bench ' || i, 'S' || i, 'pc', 10, 2, 0, 20, 3, 0 FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000)
INSERT INTO zsordrd(ordid, linnm, prdnm, specs, unitg, qunty, itmpr, taxrt, pramt, ldngs, invcs) SELECT 'BENCH-S', i, 'bench ' || i, 'S' || i, 'pc', 7, 3, 0, 21, 1, 0 FROM n;"
    if command -v sqlite3 >/dev/null; then
        sqlite3 "$1" "$sql"
    else
        python3 -c 'import sqlite3, sys; c = sqlite3.connect(sys.argv[1]); c.executescript(sys.argv[2]); c.commit()' "$1" "$sql"
    fi
}

# 95 suppliers beside the demo company's five: a supplier list page of
# 100 rows, the length of one page of a business list.
seed_suppliers() {
    local sql="WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 95)
INSERT INTO zpsplyt(splnm, splty, cntct, tlphn, adres, rmrks, zonnm, stats)
SELECT '供应商 ' || i, 1, '联系人 ' || i, '021-5432' || (1000 + i), '上海市闵行区春申路' || i || '号', '', '华东', 1 FROM n;"
    if command -v sqlite3 >/dev/null; then
        sqlite3 "$1" "$sql"
    else
        python3 -c 'import sqlite3, sys; c = sqlite3.connect(sys.argv[1]); c.executescript(sys.argv[2]); c.commit()' "$1" "$sql"
    fi
}

# Starts the server on an application and data folder (and library, if
# given) and sets base to the address it prints first.
start_server() {
    local app_folder="$1" data_folder="$2" library="$3" address
    shift 3
    exec 3< <(exec "$server" --port 0 --app "$app_folder" --data "$data_folder" ${library:+--plugin "$library"} "$@" 2>>"$work/server.log")
    server_pid=$!
    if ! read -r -t 60 address <&3; then
        echo "load.sh: the server did not start:" >&2
        cat "$work/server.log" >&2
        exit 1
    fi
    base="${address%/}"
}

stop_server() {
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    server_pid=""
}

# The session cookie a sign-in POST hands out.
sign_in() {
    curl -s -D - -o /dev/null -d "$2" "$base$1" | tr -d '\r' |
        sed -n 's/^[Ss]et-[Cc]ookie: \(CSESSIONID=[^;]*\).*/\1/p' | head -n 1
}

own_bench=0
if [ $# -ge 1 ]; then
    base="${1%/}"
else
    server="${SERVER:-$root/build/bin/quillot-server}"
    if [ -z "${TEMPLATE_PATH:-}" ] && [ -z "${DB_PATH:-}" ]; then
        own_bench=1
        plugin="$root/build/lib/libhost_TestPlugin.so"
        write_bench_app
    fi
    targets=(quillot-server)
    [ -n "$plugin" ] && targets+=(host_TestPlugin quillot dbdriver)
    if [ ! -x "$server" ] || { [ -n "$plugin" ] && [ ! -f "$plugin" ]; }; then
        echo "load.sh: building ${targets[*]}" >&2
        ninja -C "$root/build" "${targets[@]}" >/dev/null
    fi
    if [ "$own_bench" = 1 ] && ! make_bench_database "$work/data/bench.db"; then
        echo "load.sh: neither sqlite3 nor python3 is there to make the bench database" >&2
        exit 1
    fi
    start_server "$app" "$work/data" "$plugin"
fi

# A static target: the app's first static file.
static_path="${STATIC_PATH:-}"
if [ -z "$static_path" ] && [ -d "$app/static" ]; then
    first="$(cd "$app/static" && find . -type f ! -name '.*' | sort | head -n 1)"
    [ -n "$first" ] && static_path="/static/${first#./}"
fi

cookie="${COOKIE:-}"
if [ "$own_bench" = 1 ]; then
    TEMPLATE_PATH=/bench
    DB_PATH=/whoami
    # Signs in once; every page request then goes with the session cookie,
    # as a browser's would.
    cookie="$(sign_in /signin db=bench)"
    [ -n "$cookie" ] || { echo "load.sh: the bench sign-in failed" >&2; cat "$work/server.log" >&2; exit 1; }
fi

summary=()
run() {
    local name="$1" path="$2" status output
    local headers=()
    [ -n "$cookie" ] && headers=(-H "Cookie: $cookie")
    status="$(curl -s -o /dev/null -w '%{http_code}' "${headers[@]}" "$base$path" || true)"
    echo "== $name: $base$path (HTTP $status; $connections connections, $threads threads, $duration)"
    output="$(wrk --latency -t "$threads" -c "$connections" -d "$duration" "${headers[@]}" "$base$path")"
    echo "$output"
    echo
    summary+=("$(echo "$output" | awk -v name="$name" -v status="$status" '
        $1 == "50%" { p50 = $2 } $1 == "90%" { p90 = $2 } $1 == "99%" { p99 = $2 }
        $1 == "Requests/sec:" { rps = $2 }
        /Non-2xx or 3xx responses:/ { bad = $NF }
        END { printf "%-14s %6s %12s %10s %10s %10s %8s\n", name, status, rps, p50, p90, p99, bad + 0 }')")
    rate="$(echo "$output" | awk '$1 == "Requests/sec:" { print $2 }')"
    [ -z "$static_rate" ] && static_rate="$rate"
    shares+=("$(awk -v name="$name" -v rate="$rate" -v base="$static_rate" \
        'BEGIN { printf "%-14s %5.0f %%\n", name, (base > 0 ? 100 * rate / base : 0) }')")
}
static_rate=""
shares=()

run "static file" "${static_path:?no static file to load}"
[ -n "${TEMPLATE_PATH:-}" ] && run "template page" "$TEMPLATE_PATH"
[ -n "${DB_PATH:-}" ] && run "database page" "$DB_PATH"

# The real application: the notices page of the demo company's
# administrator, every section on (the page's heaviest queries).
if [ "$own_bench" = 1 ]; then
    stop_server
    # shellcheck disable=SC2086
    start_server "$root/app" "$work/real-data" "" ${REAL_ARGS---signin-failures 1000000}
    cookie="$(sign_in /login.htm 'dbname=demo&userid=SYSTEM&passwd=demo')"
    [ -n "$cookie" ] || { echo "load.sh: the demo sign-in failed" >&2; cat "$work/server.log" >&2; exit 1; }
    run "notices page" "/notice.htm"

    # A business list of one full page: 100 suppliers.
    seed_suppliers "$work/real-data/demo.db"
    run "supplier list" "/purchaseSupplyList.htm"

    # The product stock list of 1,000 products, each with a purchase and a
    # sales order still open against it (one page of the list).
    seed_stock_products "$work/real-data/demo.db"
    run "stock list" "/stockProductList.htm"

    # The monthly report over a year of trade: 2,000 orders with their
    # movements, invoices and payments (bench/make_year.py).
    python3 "$root/bench/make_year.py" "$work/real-data/demo.db" 2000
    run "report page" "/report.htm"

    # The static file while wrong passwords are tried back to back.
    cookie=""
    ( while :; do curl -s -o /dev/null -d 'dbname=demo&userid=SYSTEM&passwd=wrong' "$base/login.htm" || true; done ) &
    signing=$!
    run "static+signin" "/static/style.css"
    kill "$signing" 2>/dev/null || true
    wait "$signing" 2>/dev/null || true
fi

printf '%-14s %6s %12s %10s %10s %10s %8s\n' target HTTP "requests/s" p50 p90 p99 "non-2xx"
printf '%s\n' "${summary[@]}"
echo
echo "requests/s as a share of the static file's (the first target):"
printf '%s\n' "${shares[@]}"
exit 0
