#!/usr/bin/env bash
# Are two builds of veltrima-render making the same frames? Every FREE preset
# at 1280x720 and 1920x1080, from both tools, compared with cmp:
#   - 30 raw 8-bit RGBA frames (the 8-bit target);
#   - 6 frames of 16-bit PNG (the float target);
#   - 6 frames of 16-bit FFV1, decoded back to 16-bit RGBA by FFmpeg (the
#     float target through the encoder's conversion);
#   - 12 frames of 8-bit FFV1 and of ProRes 4444, each decoded by FFmpeg to
#     its own pixel format (the 8-bit target through each conversion, still
#     frames sent again as they repeat).
# For a change that must leave the tool's pixels alone (a faster way of
# drawing the same picture). Prints one line per comparison and a count;
# exits 1 when any differ.
#
#   scripts/render-identity.sh OLD_TOOL NEW_TOOL
#   PRESETS="0 5"  SIZES="1280x720"  narrow the run
set -euo pipefail

[[ $# -eq 2 ]] || { echo "usage: $0 OLD_TOOL NEW_TOOL" >&2; exit 2; }
old="$1"
new="$2"
presets="${PRESETS:-0 1 2 3 4 5 6 7 8 9}"
sizes="${SIZES:-1280x720 1920x1080}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

compared=0
differing=0
check() {  # what, file from the old tool, file from the new one
  compared=$((compared + 1))
  if cmp -s "$2" "$3"; then
    echo "same     $1"
  else
    differing=$((differing + 1))
    echo "DIFFERS  $1"
  fi
}

for size in $sizes; do
  for preset in $presets; do
    what="preset $preset, $size"
    for side in old new; do
      tool="${!side}"
      dir="$scratch/$side"
      rm -rf "$dir" && mkdir -p "$dir/png"
      "$tool" --preset "$preset" --size "$size" --frames 30 -q -o - > "$dir/raw8"
      "$tool" --preset "$preset" --size "$size" --frames 6 --depth 16 -q -o "$dir/png/%05d.png"
      "$tool" --preset "$preset" --size "$size" --frames 6 --depth 16 -q -o "$dir/clip.mkv"
      ffmpeg -loglevel error -i "$dir/clip.mkv" -f rawvideo -pix_fmt rgba64le - > "$dir/ffv1"
      "$tool" --preset "$preset" --size "$size" --frames 12 -q -o "$dir/clip8.mkv"
      ffmpeg -loglevel error -i "$dir/clip8.mkv" -f rawvideo -pix_fmt bgr0 - > "$dir/ffv1-8"
      "$tool" --preset "$preset" --size "$size" --frames 12 -q -o "$dir/clip.mov"
      ffmpeg -loglevel error -i "$dir/clip.mov" -f rawvideo -pix_fmt yuv444p10le - > "$dir/prores"
    done
    check "$what, 30 raw 8-bit frames" "$scratch/old/raw8" "$scratch/new/raw8"
    for png in "$scratch/old/png/"*.png; do
      check "$what, 16-bit PNG $(basename "$png")" "$png" "$scratch/new/png/$(basename "$png")"
    done
    check "$what, 6 frames of 16-bit FFV1" "$scratch/old/ffv1" "$scratch/new/ffv1"
    check "$what, 12 frames of 8-bit FFV1" "$scratch/old/ffv1-8" "$scratch/new/ffv1-8"
    check "$what, 12 frames of ProRes 4444" "$scratch/old/prores" "$scratch/new/prores"
  done
done
echo "$compared comparisons, $differing differing"
[[ $differing -eq 0 ]]
