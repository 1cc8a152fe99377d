#!/usr/bin/env bash
# Every test: the normal suite (which replays the fuzz corpus and every saved
# crash), the same suite and the validator again under AddressSanitizer,
# UndefinedBehaviorSanitizer and LeakSanitizer, a short fresh fuzz run, the
# validator once more on every plug-in on a GLX context, the way a Linux
# desktop host makes its context, and last the Windows DLLs and their tests
# under Wine. Any failure stops the run with a non-zero exit.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== build and test"
bash scripts/build.sh
ctest --test-dir "${BUILD_DIR:-build}" -j "$(nproc)" --output-on-failure

echo "== sanitizers"
bash scripts/sanitizers.sh

echo "== fuzzing for ${FUZZ_SECONDS:-60} s"
bash scripts/fuzz.sh

echo "== validator on a GLX context"
for plugin in OVNVeltrimaFree OVNVeltrimaSync OVNVeltrimaMap OVNVeltrimaHdr; do
  "${BUILD_DIR:-build}/tools/validate/ffgl-validate" --backend glx --seed 1 \
    "${BUILD_DIR:-build}/$plugin.so"
done

echo "== Windows DLL under Wine"
bash scripts/test-windows.sh
