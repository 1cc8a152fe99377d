#!/usr/bin/env bash
# Unpacks Debian's displaycal package into DEST (its Python code only is
# used: the Resolve server the tests talk to), without installing it or its
# GUI dependencies. Does nothing when DEST holds it already.
set -euo pipefail
dest=$1
[[ -f $dest/usr/lib/python3/dist-packages/DisplayCAL/patterngenerators.py ]] && exit 0
command -v apt-get >/dev/null || { echo "fetch_displaycal: no apt-get here" >&2; exit 77; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$scratch" && apt-get download displaycal >/dev/null 2>"$scratch/apt.log") || {
  cat "$scratch/apt.log" >&2
  echo "fetch_displaycal: 'apt-get download displaycal' failed" >&2
  exit 1
}
mkdir -p "$dest"
dpkg-deb -x "$scratch"/displaycal_*.deb "$dest"
