#!/usr/bin/env bash
# Packs the Windows plug-in for people who use it: builds the DLL
# (scripts/build-windows.sh) and leaves
# dist/OVNVeltrimaFree-1.0-windows-x64.zip holding OVNVeltrimaFree.dll and
# INSTALL.txt. Run scripts/test-windows.sh to prove the DLL first.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${WINDOWS_BUILD_DIR:-build-windows}
bash scripts/build-windows.sh
dll=$build_dir/OVNVeltrimaFree.dll
version=$(sed -n 's/^project(OVNVeltrimaFree VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip_path=dist/OVNVeltrimaFree-${version}-windows-x64.zip

staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
# Without debug information: a third of the size, and hosts have no use for it.
x86_64-w64-mingw32-strip -o "$staging/OVNVeltrimaFree.dll" "$dll"
bash tests/windows/check-dll-tables.sh x86_64-w64-mingw32-objdump "$staging/OVNVeltrimaFree.dll" >/dev/null
# Windows' own editors expect CRLF line ends.
sed 's/$/\r/' packaging/windows/INSTALL.txt >"$staging/INSTALL.txt"

mkdir -p dist
rm -f "$zip_path"
# -X: no Unix owners or extra attributes; -j: no folders inside the archive.
(cd "$staging" && zip -q -X -j "$OLDPWD/$zip_path.tmp" OVNVeltrimaFree.dll INSTALL.txt)
mv "$zip_path.tmp" "$zip_path"
unzip -l "$zip_path"
echo "package-windows: $zip_path"
