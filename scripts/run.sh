#!/usr/bin/env bash
# Builds the server and runs it on the application folder, with the data in
# ./data (a demo company database is made there on the first run).
# Usage: scripts/run.sh [server options, see quillot-server --help]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$build" quillot-server quillot dbdriver
mkdir -p "$root/data"
exec "$build/bin/quillot-server" --app "$root/app" --data "$root/data" "$@"
