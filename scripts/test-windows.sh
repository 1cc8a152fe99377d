#!/usr/bin/env bash
# The Windows build, proven: cross-builds the DLLs and their tests
# (scripts/build-windows.sh), then runs them with CTest under Wine against
# the DLLs: the export and import tables, the host contract through
# LoadLibrary and plugMain on a WGL context, the plug-in's own code with
# Windows' 32-bit long, and the first frames of every preset against the
# Linux golden images, and SYNC's first Host Time frames (their strips, and
# frame 0 against its Linux picture), and MAP's host contract and its first
# frame of a layout read from a non-ASCII path against its Linux picture,
# and the HDR DLL's contract, its bars against their Linux pictures and its
# "Patch" pattern fed by a Resolve server of the test's own over Winsock.
# Wine's OpenGL runs on Mesa through a private Xvfb; the Wine prefix is a
# throwaway one inside the build folder. Both go away when
# the script ends, however it ends.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

bash scripts/build-windows.sh
build_dir=${WINDOWS_BUILD_DIR:-build-windows}

scratch=$(mktemp -d "$(cd "$build_dir" && pwd)/wine.XXXXXX")
xvfb_pid= child=
# Runs a command in the background and waits for it, so that an interrupt
# reaches the trap at once instead of after the command.
run() {
  "$@" &
  child=$!
  wait "$child"
}
cleanup() {
  if [[ -n $child ]]; then
    kill "$child" 2>/dev/null || true
    wait "$child" 2>/dev/null || true
  fi
  if [[ -d ${WINEPREFIX:-} ]]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A display of our own: Xvfb picks a free number and writes it to the pipe.
exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 30 -u "$display_fd" display_number || {
  echo "test-windows: Xvfb did not start:" >&2
  cat "$scratch/xvfb.log" >&2
  exit 1
}
exec {display_fd}<&-
export DISPLAY=:$display_number

export WINEPREFIX=$scratch/prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installers: nothing here needs .NET or a browser engine.
export WINEDLLOVERRIDES="mscoree,mshtml="
echo "== making a Wine prefix"
run "${VELTRIMA_WINE64:-/usr/lib/wine/wine64}" wineboot --init >"$scratch/wineboot.log" 2>&1 || {
  echo "test-windows: wineboot failed:" >&2
  cat "$scratch/wineboot.log" >&2
  exit 1
}
wineserver -w

echo "== Windows tests under Wine"
run ctest --test-dir "$build_dir" -j "$(nproc)" --output-on-failure

echo "== golden frames of the DLLs under Wine"
grep -hE '^(preset [0-9]*|sync frame 0|map wide path):' "$build_dir/Testing/Temporary/LastTest.log" | sort -u || true
echo "test-windows: done in $((SECONDS - started)) s"
