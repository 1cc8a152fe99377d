#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and fuzzes each in turn,
# FUZZ_SECONDS (default 60) shared between them. The targets, by the names
# FUZZ_TARGETS takes (default "free sync map hdr layout region-code calibration chain-strip raw-capture"):
#   free       plugMain of the FREE plug-in      fuzz/corpus,           fuzz/crashes/
#   sync       plugMain of the SYNC plug-in      fuzz/corpus-sync,      fuzz/crashes-sync/
#   map        plugMain of the MAP plug-in       fuzz/corpus-map,       fuzz/crashes-map/
#   hdr        plugMain of the HDR plug-in       fuzz/corpus-hdr,       fuzz/crashes-hdr/
#   layout     the layout-file parsers           fuzz/layout-corpus,    fuzz/layout-crashes/
#   sync-read  the sync reader's frame decoding  fuzz/corpus-sync-read, fuzz/crashes-sync-read/
#   chain-strip  the Chain Check strip reader     fuzz/corpus-chain-strip, fuzz/crashes-chain-strip/
#   raw-capture  the readers' raw frame unpacking fuzz/corpus-raw-capture, fuzz/crashes-raw-capture/
#   region-code  the region code's decoder     fuzz/corpus-region-code, fuzz/crashes-region-code/
#   calibration  the calibration client's network messages
#                                               fuzz/corpus-calibration, fuzz/crashes-calibration/
# New corpus entries go to a scratch folder; a crash is written into the
# target's crash folder, where every later test run replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
# Cached compilations where ccache is installed, as in scripts/build.sh.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELTRIMA_FUZZ=ON -DVELTRIMA_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null

# target name -> "fuzzer corpus crashes"
declare -A table=(
  [free]="plugmain_fuzzer fuzz/corpus fuzz/crashes"
  [sync]="plugmain_sync_fuzzer fuzz/corpus-sync fuzz/crashes-sync"
  [map]="plugmain_map_fuzzer fuzz/corpus-map fuzz/crashes-map"
  [hdr]="plugmain_hdr_fuzzer fuzz/corpus-hdr fuzz/crashes-hdr"
  [layout]="layout_fuzzer fuzz/layout-corpus fuzz/layout-crashes"
  [sync-read]="frame_decoder_fuzzer fuzz/corpus-sync-read fuzz/crashes-sync-read"
  [chain-strip]="chain_strip_fuzzer fuzz/corpus-chain-strip fuzz/crashes-chain-strip"
  [raw-capture]="raw_capture_fuzzer fuzz/corpus-raw-capture fuzz/crashes-raw-capture"
  [region-code]="region_code_fuzzer fuzz/corpus-region-code fuzz/crashes-region-code"
  [calibration]="calibration_fuzzer fuzz/corpus-calibration fuzz/crashes-calibration"
)
read -r -a chosen <<<"${FUZZ_TARGETS:-free sync map hdr layout region-code calibration chain-strip raw-capture}"
fuzzers=()
for name in "${chosen[@]}"; do
  [[ -n ${table[$name]:-} ]] || {
    echo "fuzz: unknown target '$name' in FUZZ_TARGETS (${!table[*]})" >&2
    exit 2
  }
  read -r fuzzer _ <<<"${table[$name]}"
  fuzzers+=("$fuzzer")
done
cmake --build "$build_dir" -j "$(nproc)" --target "${fuzzers[@]}"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Dynamic TLS left unscanned, as in scripts/sanitizers.sh (why is there).
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$(pwd)/tests/sanitizers/lsan.supp:print_suppressions=0

total=${FUZZ_SECONDS:-60}
share=$(((total + ${#chosen[@]} - 1) / ${#chosen[@]}))
for name in "${chosen[@]}"; do
  read -r fuzzer corpus crashes <<<"${table[$name]}"
  mkdir -p "$scratch/$name" "$crashes"
  echo "== fuzz: $name for ${share} s"
  "$build_dir/fuzz/$fuzzer" -max_total_time="$share" -timeout=20 \
    -rss_limit_mb=4096 -artifact_prefix="$crashes/" -print_final_stats=1 \
    "$scratch/$name" "$corpus"
done
