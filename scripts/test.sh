#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build_dir=${TAMBERLUX_BUILD_DIR:-build}
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}"
# Tests that render need a display; xvfb-run gives them one.
xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
