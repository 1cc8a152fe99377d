#!/usr/bin/env bash
# Frames per second of every preset at 1920x1080 (and the grid at 3840x2160).
# A measurement, not a test: numbers depend on the machine and its load.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
"${BUILD_DIR:-build}/benchmarks/render_benchmark" "$@"
