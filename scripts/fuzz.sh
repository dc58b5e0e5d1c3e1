#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on, only the plain libraries) and runs each one from its
# checked-in corpus.
#   scripts/fuzz.sh [SECONDS] [TARGET...]   each target for SECONDS (default 600), all by default
#   scripts/fuzz.sh --available              exit 0 when clang and libFuzzer are there
# New inputs are kept in build-fuzz/corpus/<target>; a crash leaves its input in
# build-fuzz/crashes/ (add it to tests/fuzz/corpus/<target>/ with the fix).
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
fuzz_dir=${TAMBERLUX_FUZZ_BUILD_DIR:-build-fuzz}
cxx=${TAMBERLUX_FUZZ_CXX:-clang++}

available() {
    command -v "$cxx" >/dev/null 2>&1 || return 1
    echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' |
        "$cxx" -x c++ -fsanitize=fuzzer -o /dev/null - >/dev/null 2>&1
}
if [ "${1:-}" = "--available" ]; then
    available
    exit
fi
if ! available; then
    echo "fuzz.sh: $cxx with libFuzzer is needed (Debian: clang libclang-rt-14-dev)" >&2
    exit 2
fi

seconds=${1:-600}
shift || true
if [ ! -f "$fuzz_dir/build.ninja" ]; then
    cmake -S . -B "$fuzz_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER="$cxx" -DTAMBERLUX_FUZZ=ON -DTAMBERLUX_WERROR=ON >/dev/null
fi
cmake --build "$fuzz_dir" -j "$(nproc)"

targets=("$@")
if ((${#targets[@]} == 0)); then
    for corpus in tests/fuzz/corpus/*/; do
        targets+=("$(basename "$corpus")")
    done
fi
mkdir -p "$fuzz_dir/crashes"
failed=0
for target in "${targets[@]}"; do
    work="$fuzz_dir/corpus/$target"
    mkdir -p "$work"
    echo "== fuzz_$target for $seconds s"
    # The checked-in corpus is read, new inputs go to the build folder's copy.
    if ! "$fuzz_dir/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=16384 -print_final_stats=1 \
        -artifact_prefix="$fuzz_dir/crashes/$target-" "$work" "tests/fuzz/corpus/$target" \
        2>"$fuzz_dir/fuzz_$target.log"; then
        tail -n 60 "$fuzz_dir/fuzz_$target.log"
        failed=1
    else
        grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$fuzz_dir/fuzz_$target.log" | tail -n 2
    fi
done
exit $failed
