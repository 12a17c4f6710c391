#!/usr/bin/env bash
# Builds everything and runs every test: the calculation, the saved-entries
# file, the window's actions, the Qt window (offscreen and on Xvfb) and the
# packages; the same under AddressSanitizer and UBSan; the fuzz targets; and
# the 32-bit Windows program under Wine. Installs what is missing first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. tools/common.sh
# shellcheck disable=SC2086
ensure_packages $TEST_PACKAGES

# One X server for the tests that need a real display.
start_xvfb 90

status=0
# Configures, builds and tests one preset; a failure is remembered, and the
# other presets still run.
run_preset() {
  local preset=$1; shift
  echo "== $preset: $*"
  cmake --preset "$preset" >/dev/null &&
    cmake --build --preset "$preset" &&
    ctest --preset "$preset" "${CTEST_ARGS[@]}" || status=1
}

CTEST_ARGS=(-j2)
run_preset linux "the Linux program; calculation, saved entries, window actions, Qt window, Xvfb"
run_preset asan "the same under AddressSanitizer and UndefinedBehaviorSanitizer"
run_preset fuzz "libFuzzer on the number rules, the time.txt reader and the calculation"

CTEST_ARGS=()
run_preset win32 "the 32-bit Windows program, its unit tests and its window under Wine"

exit $status
