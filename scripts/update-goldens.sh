#!/usr/bin/env bash
# Re-renders the golden first frames of every preset, and the SYNC
# plug-in's Host Time picture, into tests/golden/.
# Run it deliberately, after a change to the image that is meant; the tests
# only compare against these files and never write them.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target OVNVeltrimaFree make-goldens \
  OVNVeltrimaSync make-sync-goldens
mkdir -p tests/golden
"$build_dir/tools/make-goldens" "$build_dir/OVNVeltrimaFree.so" tests/golden
"$build_dir/tools/make-sync-goldens" "$build_dir/OVNVeltrimaSync.so" tests/golden
du -ch tests/golden/preset-*.png | tail -n 1
