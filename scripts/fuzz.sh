#!/usr/bin/env bash
# Builds the plugMain fuzz target with clang and libFuzzer and fuzzes for
# FUZZ_SECONDS (default 60). New corpus entries go to a scratch folder; a
# crash is written into fuzz/crashes/, where every later test run replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELTRIMA_FUZZ=ON -DVELTRIMA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target plugmain_fuzzer
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$(pwd)/tests/sanitizers/lsan.supp:print_suppressions=0
"$build_dir/fuzz/plugmain_fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" -timeout=20 \
  -rss_limit_mb=4096 -artifact_prefix=fuzz/crashes/ -print_final_stats=1 \
  "$scratch" fuzz/corpus
