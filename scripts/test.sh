#!/usr/bin/env bash
# Builds everything and runs every test. Usage: scripts/test.sh [build folder]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$build"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
