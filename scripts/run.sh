#!/usr/bin/env bash
# Installs what is missing, builds, and opens the sample web in the page editor with the add-in
# connected. Arguments are passed on: scripts/run.sh [WEB [PAGE]] [--install DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build_dir=${TAMBERLUX_BUILD_DIR:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "There is no display to open the page editor on (DISPLAY is not set)." >&2
    echo "Run it under a virtual one with: xvfb-run -a -s '-screen 0 1400x900x24' scripts/run.sh" >&2
    echo "Meanwhile, the Flash objects of the sample web (data/web):" >&2
    status=0
    "$build_dir/src/tamberlux" check data/web || status=$?
    # 1 only says that some page holds altered objects: a result, not a failure.
    [ "$status" -le 1 ]
    exit 0
fi
exec "$build_dir/src/tamberlux" "$@"
