#!/usr/bin/env bash
# The main job: builds everything, shows what a host sees in the plug-in
# (information record and parameter table), then renders the ten presets at
# 1920x1080 and a captioned contact sheet of them into out/, with no display
# needed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build_dir=${BUILD_DIR:-build}
"$build_dir/tools/ffgl-inspect" "$build_dir/OVNVeltrimaFree.so"
echo
mkdir -p out
"$build_dir/tools/veltrima-render" --size 1920x1080 --sheet out/presets.png --save-presets out
echo "Rendered into $(pwd)/out:"
ls -1 out | sed 's/^/  /'
