#!/usr/bin/env bash
# Configures and builds everything into build/ (or $BUILD_DIR), after making
# sure the packages it needs are installed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_dir=${BUILD_DIR:-build}
# Where ccache is installed, compilations are cached: paths are taken
# relative to the repository and the build folder is left out of the key,
# so another clone or build folder of the same sources hits the same entries
# (debugging information then names the first clone's folder).
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "${launcher[@]}" "$@" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
