#!/usr/bin/env bash
# Packs the Windows plug-ins for people who use them: builds the DLLs
# (scripts/build-windows.sh) and leaves dist/OVNVeltrima-1.0-windows-x64.zip,
# one zip holding every plug-in DLL, INSTALL.txt, and the licence texts of
# the libraries linked into them (qr-code-generator in the SYNC DLL, pugixml
# in the MAP DLL, both MIT), taken from the very source tarballs the build
# verified. One zip rather than one per plug-in: one download and one
# INSTALL.txt, and each DLL stands alone, so a user copies only those wanted.
# Run scripts/test-windows.sh to prove the DLLs first.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${WINDOWS_BUILD_DIR:-build-windows}
bash scripts/build-windows.sh
modules=(OVNVeltrimaFree OVNVeltrimaSync OVNVeltrimaMap OVNVeltrimaHdr)
sources=$build_dir/sources
version=$(sed -n 's/^project(OVNVeltrima VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip_path=dist/OVNVeltrima-${version}-windows-x64.zip

staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
files=()
for module in "${modules[@]}"; do
  # Without debug information: a third of the size, and hosts have no use for it.
  x86_64-w64-mingw32-strip -o "$staging/$module.dll" "$build_dir/$module.dll"
  bash tests/windows/check-dll-tables.sh x86_64-w64-mingw32-objdump "$staging/$module.dll" >/dev/null
  files+=("$module.dll")
done
# Windows' own editors expect CRLF line ends.
crlf() { sed 's/\r$//; s/$/\r/'; }
crlf <packaging/windows/INSTALL.txt >"$staging/INSTALL.txt"
# qr-code-generator carries its licence as the last section of its readme.
sed -n '/^License$/,$p' "$sources/QR-Code-generator-1.8.0/Readme.markdown" | crlf \
  >"$staging/LICENSE-qr-code-generator.txt"
crlf <"$sources/pugixml-1.13/LICENSE.md" >"$staging/LICENSE-pugixml.txt"
for licence in "$staging"/LICENSE-*.txt; do
  grep -q "Permission is hereby granted" "$licence" || {
    echo "package-windows: no licence text in $(basename "$licence")" >&2
    exit 1
  }
done
files+=(INSTALL.txt LICENSE-qr-code-generator.txt LICENSE-pugixml.txt)

mkdir -p dist
rm -f "$zip_path"
# -X: no Unix owners or extra attributes; -j: no folders inside the archive.
(cd "$staging" && zip -q -X -j "$OLDPWD/$zip_path.tmp" "${files[@]}")
mv "$zip_path.tmp" "$zip_path"
unzip -l "$zip_path"
echo "package-windows: $zip_path"
