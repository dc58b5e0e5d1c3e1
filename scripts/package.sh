#!/usr/bin/env bash
# Builds the Debian package of Tamberlux: installs what is missing, builds, and makes
# build/tamberlux_VERSION_ARCH.deb with CPack. Install it with
#   sudo apt-get install ./build/tamberlux_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build_dir=${TAMBERLUX_BUILD_DIR:-build}
(cd "$build_dir" && cpack -G DEB)
ls -l "$build_dir"/tamberlux_*.deb
