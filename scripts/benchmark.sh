#!/usr/bin/env bash
# Frame times of every preset and of every pattern with all overlays, at
# 1920x1080 and 3840x2160, each beside a trivial fill program measured in the
# same run (counter x_fill: the ratio); then the first frame after
# instantiation and after a switch (program build cost). A measurement, not a
# test: numbers depend on the machine and its load. Extra arguments go to
# Google Benchmark, e.g. --benchmark_filter=Frames/5/ to run one case.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
"${BUILD_DIR:-build}/benchmarks/render_benchmark" "$@"
