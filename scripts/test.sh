#!/usr/bin/env bash
# Builds everything and runs every test. Usage: scripts/test.sh [build folder]
# TESSEL_CMAKE_ARGS adds options to the configuration, e.g. -DTESSEL_WERROR=ON.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"

"$root/scripts/setup.sh"
read -r -a extra <<<"${TESSEL_CMAKE_ARGS:-}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" >/dev/null
ninja -C "$build"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
