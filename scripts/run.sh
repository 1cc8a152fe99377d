#!/usr/bin/env bash
# The main job: builds everything, shows what a host sees in the plug-in
# (information record and parameter table), then renders into out/, with no
# display needed:
# - FREE: the ten presets at 1920x1080 and a captioned contact sheet of them;
# - SYNC: one frame at a start time, and a two-second FFV1 clip read back by
#   veltrima-sync-read (its table in out/sync.csv, its summary printed);
# - MAP: the example wall from examples/wall.csv, and one PNG per screen of
#   examples/wall.xml;
# - HDR: BT.2111 bars in PQ Narrow as a 16-bit PNG (codes exact); a Chain
#   Check frame, and the same through an FFmpeg chain that squeezes full
#   range into narrow, both read by veltrima-signal-read.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build_dir=${BUILD_DIR:-build}
render="$build_dir/tools/veltrima-render"
"$build_dir/tools/ffgl-inspect" "$build_dir/OVNVeltrimaFree.so"
echo
mkdir -p out
"$render" --size 1920x1080 --sheet out/presets.png --save-presets out

# SYNC: its clock follows the host time from the start time on.
"$render" --plugin sync --start-time 01:00:00.000 -q -o out/sync.png
"$render" --plugin sync --start-time 01:00:00.000 --frames 120 --fps 60 -q -o out/sync.mkv
echo "out/sync.mkv read back by veltrima-sync-read:"
ffmpeg -hide_banner -loglevel error -i out/sync.mkv -f rawvideo -pix_fmt rgba - \
  | "$build_dir/tools/sync-read/veltrima-sync-read" --size 1920x1080 --fps 60 --csv \
  > out/sync.csv
echo

# MAP: layout pixels are output pixels, so each picture is its canvas's size,
# which --all-screens reads from the file (wall.csv has one screen).
"$render" --plugin map --set "Map File=examples/wall.csv" --all-screens -q -o out/wall-csv.png
mv out/wall-csv-1.png out/wall.png
"$render" --plugin map --set "Map File=examples/wall.xml" --all-screens -q -o out/wall.png

# HDR: 10-bit codes survive only in a deep file.
"$render" --plugin hdr --set "Pattern=BT.2111 Bars" --set "Signal=PQ Narrow" --depth 16 -q \
  -o out/hdr-bars.png

# Is the chain clean? The frame as rendered, then through one fault.
"$render" --plugin hdr --set "Pattern=Chain Check" --set "Signal=PQ Narrow" --depth 16 -q \
  -o out/chain-check.png
ffmpeg -hide_banner -loglevel error -y -i out/chain-check.png -vf \
  "format=gbrp16le,zscale=m=2020_ncl:r=limited,format=yuv444p16le,zscale=m=2020_ncl:rin=full:r=full,format=gbrp16le" \
  -pix_fmt rgb48be out/chain-check-squeezed.png
for file in out/chain-check.png out/chain-check-squeezed.png; do
  echo "$file read back by veltrima-signal-read:"
  "$build_dir/tools/signal-read/veltrima-signal-read" "$file" || true
done
echo

echo "Rendered into $(pwd)/out:"
ls -1 out | sed 's/^/  /'
