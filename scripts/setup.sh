#!/usr/bin/env bash
# Installs the Debian packages that the build, the tools and the tests need.
# Idempotent: installs only what is missing, and refreshes the package lists
# only when there is something to install.
set -euo pipefail

packages=(
  build-essential cmake pkg-config   # compiler and build system
  libglew-dev                         # GL entry-point loader the plug-in links
  libegl-dev libgl-dev libgl1-mesa-dri libegl-mesa0  # headless GL (EGL + llvmpipe)
  xvfb libglx-mesa0                   # GLX context on a virtual X server
  libgtest-dev googletest             # test framework
  libbenchmark-dev                    # benchmarks
  libpng-dev                          # PNG read/write for images
  libcli11-dev                        # command-line parsing for the tools
  nlohmann-json3-dev                  # the validator's JSON report
  glslang-tools                       # independent GLSL front end for shader checks
  clang libclang-rt-14-dev            # libFuzzer and the sanitizer runtimes for the fuzz build
  binutils                            # nm, for the export-list test
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}" >&2
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
