#!/usr/bin/env bash
# The main job: builds the plug-in and shows what a host sees when it loads
# it — the information record and the parameter table.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build_dir=${BUILD_DIR:-build}
"$build_dir/tools/ffgl-inspect" "$build_dir/OVNVeltrimaFree.so"
