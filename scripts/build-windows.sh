#!/usr/bin/env bash
# Cross-builds the plug-ins for 64-bit Windows into build-windows/ (or
# $WINDOWS_BUILD_DIR): OVNVeltrimaFree.dll, OVNVeltrimaSync.dll, OVNVeltrimaMap.dll, OVNVeltrimaHdr.dll and, unless VELTRIMA_BUILD_TESTS=OFF
# is passed, the test programs that scripts/test-windows.sh runs under Wine.
#
# Debian ships no MinGW build of GLEW (nor of libpng, which only the tests
# need), so both are compiled from Debian's own source tarballs. They are
# fetched with `apt-get source` through a private apt configuration inside
# the build folder, made from the machine's Debian entries with deb-src
# added, so that the machine's apt sources and lists are never touched. Each
# tarball's SHA-256 is checked before it is unpacked.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh windows

build_dir=${WINDOWS_BUILD_DIR:-build-windows}
deps=$build_dir/sources
mkdir -p "$deps"
deps=$(cd "$deps" && pwd)

# name (Debian source package), file, SHA-256, unpacked folder
tarballs=(
  "glew glew_2.2.0.orig.tar.xz 971e9bd3e3561e2c33cd1722129a1a44186790e93f4a79e843a0dc8bd1fb1db1 glew-2.2.0"
  "libpng1.6 libpng1.6_1.6.39.orig.tar.gz a00e9d2f2f664186e4202db9299397f851aea71b36a35e74910b8820e380d441 libpng-1.6.39"
  "qr-code-generator qr-code-generator_1.8.0.orig.tar.gz 2ec0a4d33d6f521c942eeaf473d42d5fe139abcfa57d2beffe10c5cf7d34ae60 QR-Code-generator-1.8.0"
  "pugixml pugixml_1.13.orig.tar.gz 5c5ad5d7caeb791420408042a7d88c2c6180781bf218feca259fd9d840a888e1 pugixml-1.13"
)

apt_options() {
  local dir=$deps/apt
  printf '%s\n' -o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$dir/sources.list.d" \
    -o "Dir::State::Lists=$dir/lists" -o "Dir::Cache=$dir/cache" -o "APT::Sandbox::User=root"
}

# deb-src entries for the Debian archives the machine already uses, in both
# of apt's formats (deb822 .sources files and one-line .list entries).
write_private_sources() {
  local dir=$deps/apt
  mkdir -p "$dir/sources.list.d" "$dir/lists/partial" "$dir/cache/archives/partial"
  local sources=(/etc/apt/sources.list.d/*.sources)
  : >"$dir/sources.list.d/debian-src.sources"
  if [[ -e ${sources[0]} ]]; then
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /(^|\n)Types:[^\n]*deb/ && /(^|\n)URIs:[^\n]*debian/ && !/(^|\n)Enabled: *no/ {
           sub(/Types:[^\n]*/, "Types: deb-src"); print }' "${sources[@]}" \
      >"$dir/sources.list.d/debian-src.sources"
  fi
  cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    sed -n 's/^[[:space:]]*deb[[:space:]]\(.*debian.*\)$/deb-src \1/p' \
      >"$dir/sources.list.d/debian-src.list" || true
  if [[ ! -s $dir/sources.list.d/debian-src.sources && ! -s $dir/sources.list.d/debian-src.list ]]; then
    echo "build-windows: no Debian archive found in the machine's apt sources" >&2
    exit 1
  fi
}

fetch() {
  local package=$1 file=$2 sha=$3 folder=$4
  if [[ -d $deps/$folder && -f $deps/$folder.verified ]]; then return; fi
  if [[ ! -f $deps/$file ]]; then
    if [[ ! -d $deps/apt/lists/partial ]] || ! compgen -G "$deps/apt/lists/*_Sources*" >/dev/null; then
      write_private_sources
      mapfile -t options < <(apt_options)
      echo "build-windows: reading Debian's source index (private apt configuration)" >&2
      apt-get -qq "${options[@]}" update
    fi
    mapfile -t options < <(apt_options)
    echo "build-windows: fetching $file" >&2
    (cd "$deps" && apt-get -qq "${options[@]}" source --download-only --tar-only "$package" >/dev/null)
  fi
  if [[ ! -f $deps/$file ]]; then
    echo "build-windows: apt-get source $package did not give $file" >&2
    exit 1
  fi
  local actual
  actual=$(sha256sum "$deps/$file" | cut -d' ' -f1)
  if [[ $actual != "$sha" ]]; then
    echo "build-windows: SHA-256 mismatch for $file: expected $sha, got $actual; refusing to build with it" >&2
    rm -f "$deps/$file"
    exit 1
  fi
  rm -rf "${deps:?}/$folder"
  tar -xf "$deps/$file" -C "$deps"
  touch "$deps/$folder.verified"
}

for entry in "${tarballs[@]}"; do
  # shellcheck disable=SC2086
  fetch $entry
done

export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake --no-warn-unused-cli -S . -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} \
  -DVELTRIMA_GLEW_SOURCE_DIR="$deps/glew-2.2.0" -DVELTRIMA_PNG_SOURCE_DIR="$deps/libpng-1.6.39" \
  -DVELTRIMA_QRCODEGEN_SOURCE_DIR="$deps/QR-Code-generator-1.8.0" \
  -DVELTRIMA_PUGIXML_SOURCE_DIR="$deps/pugixml-1.13" \
  "${launcher[@]}" "$@" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
echo "build-windows: $build_dir/OVNVeltrimaFree.dll $build_dir/OVNVeltrimaSync.dll $build_dir/OVNVeltrimaMap.dll $build_dir/OVNVeltrimaHdr.dll"
