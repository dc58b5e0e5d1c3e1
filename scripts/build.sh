#!/usr/bin/env bash
# Configures and builds into build/ (Ninja, at most as many jobs as cores). TAMBERLUX_BUILD_DIR
# names another build folder, TAMBERLUX_CMAKE_OPTIONS adds options when it is configured.
set -euo pipefail
cd "$(dirname "$0")/.."
# A compile cache shared by checkouts in other folders: paths are taken relative to the top.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
build_dir=${TAMBERLUX_BUILD_DIR:-build}
read -r -a options <<<"${TAMBERLUX_CMAKE_OPTIONS:-}"
if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}"
elif ((${#options[@]})); then
    cmake "$build_dir" "${options[@]}" >/dev/null
fi
cmake --build "$build_dir" -j "$(nproc)"
