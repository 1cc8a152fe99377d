#!/usr/bin/env bash
# Re-renders the golden first frames of every preset, the SYNC plug-in's
# Host Time picture, the MAP plug-in's pictures of the test layouts and the
# HDR plug-in's BT.2111 bars (as 16-bit PNGs from the render tool), into
# tests/golden/.
# Run it deliberately, after a change to the image that is meant; the tests
# only compare against these files and never write them.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target OVNVeltrimaFree make-goldens \
  OVNVeltrimaSync make-sync-goldens OVNVeltrimaMap make-map-goldens OVNVeltrimaHdr veltrima-render
mkdir -p tests/golden
"$build_dir/tools/make-goldens" "$build_dir/OVNVeltrimaFree.so" tests/golden
"$build_dir/tools/make-sync-goldens" "$build_dir/OVNVeltrimaSync.so" tests/golden
"$build_dir/tools/make-map-goldens" "$build_dir/OVNVeltrimaMap.so" tests/map/layouts tests/golden
for signal in "PQ Narrow" "HLG Narrow"; do
  name=$(echo "$signal" | tr 'A-Z ' 'a-z-')
  "$build_dir/tools/veltrima-render" --plugin hdr --set "Pattern=BT.2111 Bars" \
    --set "Signal=$signal" --depth 16 -q -o "tests/golden/hdr-bars-$name.png"
done
# The README's picture of the bars, 8 bits.
"$build_dir/tools/veltrima-render" --plugin hdr --set "Pattern=BT.2111 Bars" -q -o docs/hdr-bars.png
# The README's picture of a map: examples/wall.csv at its own canvas.
"$build_dir/tools/make-map-goldens" "$build_dir/OVNVeltrimaMap.so" \
  --picture examples/wall.csv --size 3250x1000 docs/map.png
du -ch tests/golden/*.png | tail -n 1
