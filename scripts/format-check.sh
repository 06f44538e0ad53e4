#!/usr/bin/env bash
# Checks, without changing anything, that every tracked C++ source keeps the
# layout of .clang-format. Sources of others (third_party/ folders) are left
# out. Usage: scripts/format-check.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

if ! command -v clang-format >/dev/null 2>&1; then
    echo "format-check: clang-format is missing; scripts/setup.sh installs it" >&2
    exit 1
fi
mapfile -t files < <(git ls-files -- '*.h' '*.cpp' ':!:*third_party/*')
clang-format --dry-run --Werror "${files[@]}"
echo "format-check: ${#files[@]} files keep their layout"
