#!/usr/bin/env bash
# The main job: builds everything, then renders the ten presets at 1920x1080
# and a captioned contact sheet of them into out/, with no display needed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build_dir=${BUILD_DIR:-build}
mkdir -p out
"$build_dir/tools/veltrima-render" --size 1920x1080 --sheet out/presets.png --save-presets out
echo "Rendered into $(pwd)/out:"
ls -1 out | sed 's/^/  /'
