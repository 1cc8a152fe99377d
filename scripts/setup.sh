#!/usr/bin/env bash
# Installs the Debian packages that the build, the tools and the tests need.
# Idempotent: installs only what is missing, and refreshes the package lists
# only when there is something to install.
#
# VELTRIMA_SKIP_SETUP=1 skips it all, for machines whose packages are managed
# otherwise. Where it cannot install (no apt-get, not root and no sudo), it
# names the missing packages and the command that would install them, and
# fails.
set -euo pipefail

packages=(
  build-essential cmake pkg-config   # compiler and build system
  libglew-dev                         # GL entry-point loader the plug-in links
  libegl-dev libgl-dev libgl1-mesa-dri libegl-mesa0  # headless GL (EGL + llvmpipe)
  xvfb libglx-mesa0                   # GLX context on a virtual X server
  libgtest-dev googletest             # test framework
  libbenchmark-dev                    # benchmarks
  libpng-dev                          # PNG read/write for images
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev  # the render tool's video files
  libqrcodegencpp-dev                 # QR codes the SYNC plug-in draws
  libzxing-dev                        # QR codes read back: the sync reader and the SYNC tests
  libcli11-dev                        # command-line parsing for the tools
  libopencv-dev                       # the sync reader's wall photos: JPEG, region finding, homographies (no plug-in links it)
  nlohmann-json3-dev                  # the validator's JSON report, JSON layout files
  libplplot-dev plplot-driver-cairo   # the signal reader's --plot picture (PLplot's headless PNG device; no plug-in links it)
  libpugixml-dev                      # XML layout files (screen setups)
  glslang-tools                       # independent GLSL front end for shader checks
  clang libclang-rt-14-dev            # libFuzzer and the sanitizer runtimes for the fuzz build
  binutils                            # nm, for the export-list test
  ffmpeg                              # decodes the main job's SYNC clip for the reader; damages one in its end-to-end test
  argyll                              # dispwin's web display, a real server for the calibration client's tests
  python3                             # runs DisplayCAL's Resolve server (unpacked by the tests, not installed)
)

# Optional groups, named as arguments: `bash scripts/setup.sh windows` adds
# the MinGW-w64 cross compilers, Wine to run their programs, and the static
# zlib that the Windows tests' PNG reading needs; `measure` adds hyperfine,
# which only the render tool's speed measurement uses.
for group in "$@"; do
  case $group in
    windows)
      packages+=(gcc-mingw-w64-x86-64 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
                 libz-mingw-w64-dev wine wine64 xvfb xz-utils zip unzip) ;;
    measure)
      packages+=(hyperfine) ;;
    *) echo "setup: unknown package group '$group'" >&2; exit 2 ;;
  esac
done

if [[ ${VELTRIMA_SKIP_SETUP:-0} == 1 ]]; then
  echo "setup: skipped (VELTRIMA_SKIP_SETUP=1); the build expects: ${packages[*]}" >&2
  exit 0
fi

missing=()
if command -v dpkg-query >/dev/null; then
  for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
else
  missing=("${packages[@]}")
fi
((${#missing[@]})) || exit 0

# Says what is missing and how to install it, then fails.
cannot_install() {
  {
    echo "setup: cannot install packages here ($1)."
    echo "setup: missing: ${missing[*]}"
    echo "setup: as root: apt-get install --no-install-recommends ${missing[*]}"
    echo "setup: or install them another way and run with VELTRIMA_SKIP_SETUP=1"
  } >&2
  exit 1
}

command -v apt-get >/dev/null || cannot_install "no apt-get: not a Debian system"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || cannot_install "not root, and no sudo"
  # A password prompt needs a terminal; without one sudo would only fail.
  sudo -n true 2>/dev/null || [[ -t 0 ]] ||
    cannot_install "not root, and sudo needs a password but there is no terminal"
  sudo_cmd=(sudo)
fi

echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
