#!/usr/bin/env bash
# Installs what building, running and testing Tamberlux needs and is not there yet: Debian
# packages through apt-get (clang and its libFuzzer for the fuzz targets), Ruffle (the Flash
# player for web views) through npm.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    g++ cmake ninja-build pkg-config ccache git
    clang libclang-rt-14-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-httpserver-dev qt6-websockets-dev
    qt6-webchannel-dev
    libxkbcommon-dev
    libgumbo-dev libzip-dev libicu-dev libgl-dev
    haxe sox
    xvfb xauth chromium fonts-dejavu-core fonts-wqy-zenhei imagemagick python3-html5lib
    librsvg2-bin desktop-file-utils appstream
)
# Node.js may come from another source that bundles npm; Debian's packages only when it is absent.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
    echo "Installing Debian packages: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# npm leaves its own copy of the lock file in node_modules; an older or missing one means the
# packages there are not the ones package-lock.json names.
if [ ! -f node_modules/.package-lock.json ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
    echo "Installing Ruffle and the browser test driver from npm"
    npm ci --no-audit --no-fund --loglevel=error
fi
