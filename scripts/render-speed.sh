#!/usr/bin/env bash
# How fast veltrima-render makes raw 1080p60 frames, beside FFmpeg's own
# SMPTE bars source making the same 120 RGBA frames, in one hyperfine run;
# then what the tool adds per frame beyond the draw (read-back and writing,
# benchmarks/readback_benchmark). A measurement, not a test.
#
# hyperfine is no project dependency (FFmpeg is, for a test): with --install
# it is installed from Debian (scripts/setup.sh's "measure" group); without
# it a missing one is skipped with a note.
set -euo pipefail
cd "$(dirname "$0")/.."

[[ "${1:-}" != "--install" ]] || bash scripts/setup.sh measure
bash scripts/build.sh
build="${BUILD_DIR:-build}"
render="$build/tools/veltrima-render --preset 'Colour Bars' --size 1920x1080 --frames 120 --fps 60 -q -o - > /dev/null"
bars="ffmpeg -loglevel error -f lavfi -i smptebars=size=1920x1080:rate=60 -frames:v 120 -pix_fmt rgba -f rawvideo -y /dev/null"

if command -v hyperfine >/dev/null; then
  commands=("$render")
  if command -v ffmpeg >/dev/null; then commands+=("$bars"); else echo "render-speed: no ffmpeg (--install adds it); timing the tool alone" >&2; fi
  hyperfine --runs "${RUNS:-1}" --style basic "${commands[@]}"
else
  echo "render-speed: no hyperfine (--install adds it); timing the tool with bash" >&2
  time (eval "$render")
fi

"$build/benchmarks/readback_benchmark" --benchmark_repetitions=3 \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
