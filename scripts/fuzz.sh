#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and fuzzes each in turn for
# FUZZ_SECONDS (default 60): plugMain of the FREE plug-in (corpus fuzz/corpus,
# crashes into fuzz/crashes/), of the SYNC plug-in (fuzz/corpus-sync,
# fuzz/crashes-sync/) and of the MAP plug-in (fuzz/corpus-map,
# fuzz/crashes-map/), and the layout parsers (fuzz/layout-corpus,
# fuzz/layout-crashes/). FUZZ_PLUGINS="sync layouts" (any of free, sync, map,
# layouts) fuzzes only those. New corpus entries go to a scratch folder; a
# crash is written into the target's crashes folder, where every later test
# run replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELTRIMA_FUZZ=ON -DVELTRIMA_BUILD_TESTS=OFF >/dev/null
plugins=${FUZZ_PLUGINS:-free sync map layouts}
# target corpus crashes, per name
describe() {
  case $1 in
    free) echo "plugmain_fuzzer fuzz/corpus fuzz/crashes" ;;
    sync) echo "plugmain_sync_fuzzer fuzz/corpus-sync fuzz/crashes-sync" ;;
    map) echo "plugmain_map_fuzzer fuzz/corpus-map fuzz/crashes-map" ;;
    layouts) echo "layout_fuzzer fuzz/layout-corpus fuzz/layout-crashes" ;;
    *) echo "fuzz: unknown target '$1' in FUZZ_PLUGINS (free, sync, map, layouts)" >&2; exit 2 ;;
  esac
}
targets=()
for plugin in $plugins; do
  read -r fuzzer _ _ <<<"$(describe "$plugin")"
  targets+=("$fuzzer")
done
cmake --build "$build_dir" -j "$(nproc)" --target "${targets[@]}"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$(pwd)/tests/sanitizers/lsan.supp:print_suppressions=0
for plugin in $plugins; do
  read -r fuzzer corpus crashes <<<"$(describe "$plugin")"
  mkdir -p "$scratch/$plugin"
  echo "fuzz: $plugin for ${FUZZ_SECONDS:-60} s" >&2
  "$build_dir/fuzz/$fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" -timeout=20 \
    -rss_limit_mb=4096 -artifact_prefix="$crashes/" -print_final_stats=1 \
    "$scratch/$plugin" "$corpus"
done
