#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and fuzzes each in turn,
# FUZZ_SECONDS (default 60) shared between them: plugMain first, then the
# layout parsers. New corpus entries go to a scratch folder; a crash is
# written into the target's crash folder (fuzz/crashes/ or
# fuzz/layout-crashes/), where every later test run replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELTRIMA_FUZZ=ON -DVELTRIMA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target plugmain_fuzzer layout_fuzzer
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$(pwd)/tests/sanitizers/lsan.supp:print_suppressions=0

total=${FUZZ_SECONDS:-60}
share=$(((total + 1) / 2))
# fuzz TARGET CORPUS CRASHES: one target for its share of the time.
fuzz() {
  mkdir -p "$scratch/$1"
  echo "== $1 for ${share} s"
  "$build_dir/fuzz/$1" -max_total_time="$share" -timeout=20 \
    -rss_limit_mb=4096 -artifact_prefix="$3/" -print_final_stats=1 \
    "$scratch/$1" "$2"
}
fuzz plugmain_fuzzer fuzz/corpus fuzz/crashes
fuzz layout_fuzzer fuzz/layout-corpus fuzz/layout-crashes
