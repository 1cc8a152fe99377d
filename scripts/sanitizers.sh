#!/usr/bin/env bash
# Builds everything with AddressSanitizer + UndefinedBehaviorSanitizer (no
# recovery) and LeakSanitizer, then runs every test (the FREE, SYNC and MAP
# plug-ins' suites, every bad layout file among them, the fuzz corpora
# replayed) and the validator on the three plug-ins there. Any report fails
# the run.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${SANITIZER_BUILD_DIR:-build-asan} BUILD_TYPE=RelWithDebInfo \
  bash scripts/build.sh -DVELTRIMA_SANITIZE=ON
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$(pwd)/tests/sanitizers/lsan.supp:print_suppressions=0
build_dir=${SANITIZER_BUILD_DIR:-build-asan}
# LeakSanitizer's own stop-the-world tracer now and then dies at a process's
# exit ("Tracer caught signal 11", then "LeakSanitizer has encountered a
# fatal error") after the test itself has passed: a fault of the sanitizer
# runtime, not a leak report. Tests that failed in a run where that line
# appeared are run once more; a real failure fails again, and a leak is
# reported as a leak, which never takes this road.
log="$build_dir/sanitizer-ctest.log"
if ! ctest --test-dir "$build_dir" -j "$(nproc)" --output-on-failure 2>&1 | tee "$log"; then
  grep -q "Tracer caught signal" "$log" || exit 1
  echo "sanitizers: LeakSanitizer's tracer died at exit; running the failed tests once more"
  ctest --test-dir "$build_dir" --rerun-failed --output-on-failure
fi
for plugin in OVNVeltrimaFree.so OVNVeltrimaSync.so OVNVeltrimaMap.so; do
  "$build_dir/tools/validate/ffgl-validate" --seed 1 "$build_dir/$plugin"
done
