#!/usr/bin/env bash
# How fast veltrima-render makes clips, beside FFmpeg's own test sources, in
# one run that prints ready-to-paste markdown tables (docs/performance.md):
#   1. 120 raw RGBA frames of "Colour Bars" at 1920x1080, 60 fps, to
#      /dev/null, beside FFmpeg's `smptebars` (draws once, copies) and
#      `testsrc2` (draws every frame), written the same way (-f rawvideo to
#      standard output, which is /dev/null);
#   2. 600 frames of "Dead Pixel Sweep" at 1920x1080 as FFV1 (.mkv), ProRes
#      4444 (.mov) and HAP (.mov), each beside the raw stream;
#   3. 300 frames of "Colour Bars" at 1920x1080, 60 fps, as FFV1 (.mkv) and
#      as ProRes 4444 (.mov), each beside FFmpeg's `smptebars` encoded into
#      the same codec with the tool's settings (FFV1: level 3, slice CRCs, 4
#      slices, GOP 1, bgr0; ProRes: prores_ks, profile 4444, yuv444p10le);
#   4. where one 8-bit Colour Bars frame goes (benchmarks/tool_frame_benchmark):
#      the plug-in's draw and each step of the tool's own after it.
# Each round runs every command once (hyperfine --runs 1), rounds repeat the
# whole list, so load from elsewhere falls on every command alike; the tables
# give the median over the rounds and its ratio to the group's first line.
# A measurement, not a test.
#
#   ROUNDS=3           rounds (default 3)
#   BARS_FRAMES=120    frames of the first table, SWEEP_FRAMES=600 of the second,
#   CLIP_FRAMES=300    of the third
#   SIZE=1920x1080     output size of all three
#   TABLES="bars sweep ffv1 prores frame"  which of them to run (default all)
#   BEFORE=PATH        another build of veltrima-render (the one before a
#                      change) run in the same rounds beside the tool in the
#                      Colour Bars tables
#   REPETITIONS=5      repetitions of the frame benchmark (at least 2)
#   NO_BUILD=1         use the build as it is
#   BUILD_DIR=build    where the tool and the benchmark are built
#
# hyperfine is no project dependency (FFmpeg is, for a test): with --install
# it is installed from Debian (scripts/setup.sh's "measure" group).
set -euo pipefail
cd "$(dirname "$0")/.."

[[ "${1:-}" != "--install" ]] || bash scripts/setup.sh measure
build="${BUILD_DIR:-build}"
if [[ -z "${NO_BUILD:-}" ]]; then
  [[ -f "$build/CMakeCache.txt" ]] || BUILD_DIR="$build" bash scripts/build.sh
  cmake --build "$build" -j "$(nproc)" --target veltrima-render tool_frame_benchmark >/dev/null
fi
for tool in hyperfine ffmpeg; do
  command -v "$tool" >/dev/null || { echo "render-speed: no $tool (--install adds it)" >&2; exit 1; }
done

rounds="${ROUNDS:-3}"
bars="${BARS_FRAMES:-120}"
sweep="${SWEEP_FRAMES:-600}"
clip="${CLIP_FRAMES:-300}"
tables=" ${TABLES:-bars sweep ffv1 prores frame} "
before="${BEFORE:+$(realpath "$BEFORE")}"
size="${SIZE:-1920x1080}"
render="$(cd "$build" && pwd)/tools/veltrima-render"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

colour_bars() {  # tool, frames, output
  echo "'$1' --preset 'Colour Bars' --size $size --frames $2 --fps 60 -q -o $3"
}
lavfi() {
  echo "ffmpeg -loglevel error -f lavfi -i $1=size=$size:rate=60 -frames:v $bars -pix_fmt rgba -f rawvideo - > /dev/null"
}
sweep_to() { echo "'$render' --preset 'Dead Pixel Sweep' --size $size --frames $sweep --fps 60 -q $*"; }
# FFmpeg's smptebars into a codec, the rest of the command line given.
smptebars_to() {
  echo "ffmpeg -loglevel error -f lavfi -i smptebars=size=$size:rate=60 -frames:v $clip $* -y"
}

# name|command lines of each group; the first line is the group's reference.
group1=(
  "FFmpeg smptebars|$(lavfi smptebars)"
  "FFmpeg testsrc2|$(lavfi testsrc2)"
  "veltrima-render Colour Bars (raw)|$(colour_bars "$render" "$bars" "- > /dev/null")"
)
group2=(
  "raw RGBA stream|$(sweep_to -o - '>' /dev/null)"
  "FFV1 .mkv|$(sweep_to -o "'$scratch/sweep.mkv'")"
  "ProRes 4444 .mov|$(sweep_to -o "'$scratch/sweep.mov'")"
  "HAP .mov|$(sweep_to --codec hap -o "'$scratch/sweep-hap.mov'")"
)
group3=(
  "FFmpeg smptebars FFV1|$(smptebars_to -c:v ffv1 -level 3 -slicecrc 1 -slices 4 -g 1 \
    -pix_fmt bgr0 "'$scratch/smptebars.mkv'")"
  "veltrima-render Colour Bars FFV1|$(colour_bars "$render" "$clip" "'$scratch/bars.mkv'")"
)
group4=(
  "FFmpeg smptebars ProRes 4444|$(smptebars_to -c:v prores_ks -profile:v 4444 \
    -pix_fmt yuv444p10le "'$scratch/smptebars.mov'")"
  "veltrima-render Colour Bars ProRes 4444|$(colour_bars "$render" "$clip" "'$scratch/bars.mov'")"
)
if [[ -n "$before" ]]; then
  group1+=("veltrima-render before (raw)|$(colour_bars "$before" "$bars" "- > /dev/null")")
  group3+=("veltrima-render before FFV1|$(colour_bars "$before" "$clip" "'$scratch/before.mkv'")")
  group4+=("veltrima-render before ProRes 4444|$(colour_bars "$before" "$clip" "'$scratch/before.mov'")")
fi
# The groups by the names TABLES uses.
declare -A groups=([bars]=group1 [sweep]=group2 [ffv1]=group3 [prores]=group4)

# Runs one round of a group; appends "name,seconds" lines to $2.
run_round() {
  local -n lines=$1
  local arguments=()
  for line in "${lines[@]}"; do arguments+=(-n "${line%%|*}" "${line#*|}"); done
  hyperfine --runs 1 --style none --export-csv "$scratch/round.csv" "${arguments[@]}" >/dev/null
  tail -n +2 "$scratch/round.csv" | cut -d, -f1,2 >>"$2"
}

load_before="$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown)"
for ((round = 1; round <= rounds; ++round)); do
  echo "render-speed: round $round of $rounds" >&2
  for name in bars sweep ffv1 prores; do
    [[ "$tables" != *" $name "* ]] || run_round "${groups[$name]}" "$scratch/${groups[$name]}"
  done
done

# A markdown table: median, min and max over the rounds, per frame, and the
# ratio of each median to the first line's.
table() {
  local -n lines=$1
  local frames=$3 heading=$4
  local order=""
  for line in "${lines[@]}"; do order+="${line%%|*};"; done
  awk -F, -v order="$order" -v frames="$frames" -v heading="$heading" '
    { times[$1] = times[$1] " " $2 }
    END {
      n = split(order, names, ";")
      printf "| %s | median | min … max | per frame | ratio |\n|---|---|---|---|---|\n", heading
      for (i = 1; i < n; ++i) {
        k = split(times[names[i]], t, " ")
        for (a = 1; a <= k; ++a) for (b = a + 1; b <= k; ++b) if (t[b] < t[a]) { s = t[a]; t[a] = t[b]; t[b] = s }
        median = k % 2 ? t[(k + 1) / 2] : (t[k / 2] + t[k / 2 + 1]) / 2
        if (i == 1) reference = median
        printf "| %s | %.2f s | %.2f … %.2f s | %.1f ms | %.2f× |\n", names[i], median, t[1], t[k],
               1000 * median / frames, median / reference
      }
    }' "$2"
}

load="$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown)"
echo
echo "$rounds rounds, load average before the runs: $load_before, after: $load ($(nproc) cores)."
echo
declare -A headings=([bars]="$bars raw $size frames at 60 fps, RGBA to /dev/null"
                     [sweep]="$sweep frames of Dead Pixel Sweep at $size"
                     [ffv1]="$clip frames at $size, 60 fps, FFV1 .mkv"
                     [prores]="$clip frames at $size, 60 fps, ProRes 4444 .mov")
declare -A counts=([bars]=$bars [sweep]=$sweep [ffv1]=$clip [prores]=$clip)
for name in bars sweep ffv1 prores; do
  [[ "$tables" == *" $name "* ]] || continue
  table "${groups[$name]}" "$scratch/${groups[$name]}" "${counts[$name]}" "${headings[$name]}"
  echo
done
[[ "$tables" == *" frame "* ]] || exit 0

# Where one 8-bit frame goes: medians of the benchmark's randomly
# interleaved repetitions, as a table.
repetitions="${REPETITIONS:-5}"
((repetitions >= 2)) || repetitions=2  # medians need two at least
"$build/benchmarks/tool_frame_benchmark" --benchmark_repetitions="$repetitions" \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
  2>/dev/null >"$scratch/frame.txt"
awk '
  function ms(text) {  # Google Benchmark writes 6.5m for 0.0065 and 1.2k for 1200
    if (text ~ /m$/) return substr(text, 1, length(text) - 1) / 1000
    if (text ~ /u$/) return substr(text, 1, length(text) - 1) / 1e6
    if (text ~ /k$/) return substr(text, 1, length(text) - 1) * 1000
    return text + 0
  }
  $1 ~ /_median$/ {
    name = $1; sub(/\/real_time_median$/, "", name); sub(/_median$/, "", name)
    wall[name] = $2
    for (i = 1; i <= NF; ++i) if (split($i, kv, "=") == 2) value[name, kv[1]] = ms(kv[2])
  }
  END {
    print "| One 1920x1080 Colour Bars frame, 8-bit | to /dev/null | to a pipe |"
    print "|---|---|---|"
    split("draw_ms:the plug-in'\''s draw into the 8-bit target (waited for)," \
          "queue_ms:read-back into a pack buffer (glReadPixels)," \
          "map_ms:waiting for it and mapping it,alpha_ms:alpha check (loaded modules only)," \
          "write_ms:write to standard output,release_ms:unmapping," \
          "tool_ms:**the tool'\''s own share** (linked plug-in)," \
          "loaded_tool_ms:the tool'\''s own share with the alpha check (loaded module)," \
          "copy_ms:for comparison: one plain memcpy of the frame'\''s 8 MB (no part of the tool)", rows, ",")
    for (r = 1; r in rows; ++r) {
      split(rows[r], part, ":")
      printf "| %s | %.3f ms | %.3f ms |\n", part[2], value["Phases/0", part[1]], value["Phases/1", part[1]]
    }
    printf "| whole tool frame, as the tool runs it (no wait after the draw) | %.1f ms | %.1f ms |\n",
           wall["ToolFrame/0"], wall["ToolFrame/1"]
    printf "| the draw alone, in its own repetitions | %.1f ms | |\n", wall["Draw"]
  }' "$scratch/frame.txt"
