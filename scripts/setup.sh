#!/usr/bin/env bash
# Installs what the project needs on Debian 12. Safe to run again: it only
# installs what is missing and prints nothing when everything is there.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    libicu-dev libsqlite3-dev libboost-dev libsodium-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev clang-format
    wrk libxml2-utils
    chromium fonts-wqy-microhei
)
# Node.js may come from elsewhere with its own npm; Debian's packages only
# when there is none.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The browser tests drive Debian's Chromium through playwright-core; the
# font gives its screenshots the pages' Chinese.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
browser="$root/tests/browser"
if [ -f "$browser/package.json" ] && [ ! -d "$browser/node_modules/playwright-core" ]; then
    echo "setup: installing the browser test's node packages"
    (cd "$browser" && npm install --no-audit --no-fund --loglevel=error >/dev/null)
fi
