#!/usr/bin/env bash
# Builds the plugMain fuzz targets with clang and libFuzzer and fuzzes each
# for FUZZ_SECONDS (default 60): the FREE plug-in (corpus fuzz/corpus, crashes
# into fuzz/crashes/) and the SYNC plug-in (fuzz/corpus-sync,
# fuzz/crashes-sync/). FUZZ_PLUGINS="sync" (or "free") fuzzes one of them;
# FUZZ_PLUGINS="sync-read" the sync reader's frame decoding
# (fuzz/corpus-sync-read, fuzz/crashes-sync-read/), which is not fuzzed by
# default. New corpus entries go to a scratch folder; a crash is written into
# the target's crashes folder, where every later test run replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELTRIMA_FUZZ=ON -DVELTRIMA_BUILD_TESTS=OFF >/dev/null
plugins=${FUZZ_PLUGINS:-free sync}
targets=()
for plugin in $plugins; do
  case $plugin in
    free) targets+=(plugmain_fuzzer) ;;
    sync) targets+=(plugmain_sync_fuzzer) ;;
    sync-read) targets+=(frame_decoder_fuzzer) ;;
    *) echo "fuzz: unknown target '$plugin' in FUZZ_PLUGINS (free, sync, sync-read)" >&2; exit 2 ;;
  esac
done
cmake --build "$build_dir" -j "$(nproc)" --target "${targets[@]}"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$(pwd)/tests/sanitizers/lsan.supp:print_suppressions=0
for plugin in $plugins; do
  case $plugin in
    free) fuzzer=plugmain_fuzzer corpus=fuzz/corpus crashes=fuzz/crashes ;;
    sync) fuzzer=plugmain_sync_fuzzer corpus=fuzz/corpus-sync crashes=fuzz/crashes-sync ;;
    sync-read)
      fuzzer=frame_decoder_fuzzer corpus=fuzz/corpus-sync-read crashes=fuzz/crashes-sync-read ;;
  esac
  mkdir -p "$scratch/$plugin"
  echo "fuzz: $plugin for ${FUZZ_SECONDS:-60} s" >&2
  "$build_dir/fuzz/$fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" -timeout=20 \
    -rss_limit_mb=4096 -artifact_prefix="$crashes/" -print_final_stats=1 \
    "$scratch/$plugin" "$corpus"
done
