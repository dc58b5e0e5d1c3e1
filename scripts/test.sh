#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: in the ordinary build, then again in a
# build with AddressSanitizer and UndefinedBehaviorSanitizer, then each fuzz target briefly from
# its corpus (when clang's libFuzzer is there). Warnings are errors in all three builds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build_dir=${TAMBERLUX_BUILD_DIR:-build}
asan_dir=${TAMBERLUX_ASAN_BUILD_DIR:-build-asan}
fuzz_dir=${TAMBERLUX_FUZZ_BUILD_DIR:-build-fuzz}
fuzz_seconds=${TAMBERLUX_FUZZ_SECONDS:-20}
jobs=$(nproc)
started=$SECONDS
stage() { echo "== $1 (at $((SECONDS - started)) s)"; }

export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}"

stage "ordinary build"
TAMBERLUX_BUILD_DIR=$build_dir TAMBERLUX_CMAKE_OPTIONS="-DTAMBERLUX_WERROR=ON" scripts/build.sh
stage "tests"
# Tests that render need a display; xvfb-run gives them one.
xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir "$build_dir" --output-on-failure -j "$jobs"

stage "sanitizer build"
# The benchmarks are measured in the ordinary build only.
TAMBERLUX_BUILD_DIR=$asan_dir \
    TAMBERLUX_CMAKE_OPTIONS="-DTAMBERLUX_WERROR=ON -DTAMBERLUX_SANITIZE=ON -DTAMBERLUX_BUILD_BENCHMARKS=OFF" \
    scripts/build.sh
stage "tests under the sanitizers"
# The tests that drive whole Chromium web engines (the editor's rendering, the dialogs'
# previews and their player page, the web server in a web view) are left out here: Chromium's
# own code inside libQt6WebEngineCore frees objects with a size other than the one it allocated
# them with (AddressSanitizer's new-delete-type-mismatch, in ~WebContentsAdapter), and its
# helper processes and allocator are not instrumented. The other tests' widgets run here.
# Leaks are reported by the fuzz build; Qt's and fontconfig's caches live to the end of the
# program and are no fault of ours.
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir "$asan_dir" --output-on-failure -j "$jobs" \
    -E '^(EditorRendering|CreationPreview|PlayerPage|EditingRendering|WebServerInWebView)\.'

if scripts/fuzz.sh --available; then
    stage "fuzz smoke (${fuzz_seconds} s a target)"
    TAMBERLUX_FUZZ_BUILD_DIR=$fuzz_dir scripts/fuzz.sh "$fuzz_seconds"
else
    echo "== no clang with libFuzzer: the fuzz targets are not built"
fi
stage "done"
