#!/usr/bin/env bash
# Builds everything and runs every test: the calculation, the saved-entries
# file, the window's actions, the Qt window (offscreen, on Xvfb and natively
# on a headless weston) and the packages; the same under AddressSanitizer and
# UBSan; the fuzz targets; and the Windows program, 32-bit (the one shipped)
# and x86-64, under Wine.
# Installs what is missing first.
#
# On a host that cannot execute 32-bit programs, the 32-bit program's tests
# under Wine are skipped with the reason (YUCHANQI_NO_32BIT=1 does the same
# anywhere); the checks of its file still run, and the x86-64 build runs in
# full. The last line says which Windows suites ran in full.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. tools/common.sh
# shellcheck disable=SC2086
ensure_packages $TEST_PACKAGES

# One X server for the tests that need a real display.
start_xvfb 90

status=0
declare -A outcome
# Configures, builds and tests one preset; a failure is remembered, and the
# other presets still run. CTest's output is kept in the preset's build folder.
run_preset() {
  local preset=$1; shift
  echo "== $preset: $*"
  if cmake --preset "$preset" "${CONFIGURE_ARGS[@]}" >/dev/null && cmake --build --preset "$preset" &&
    ctest --preset "$preset" "${CTEST_ARGS[@]}" | tee "build/$preset/ctest.log"; then
    outcome[$preset]=passed
  else
    outcome[$preset]=failed
    status=1
  fi
}

CTEST_ARGS=(-j2) CONFIGURE_ARGS=()
run_preset linux "the Linux program; calculation, saved entries, window actions, Qt window, Xvfb, Wayland"
run_preset asan "the same under AddressSanitizer and UndefinedBehaviorSanitizer"
run_preset fuzz "libFuzzer on the number rules, the time.txt reader and the calculation"

# The Windows packages signed, as a release is, with a throwaway certificate
# made in the build folder, and checked against it.
CTEST_ARGS=() CONFIGURE_ARGS=(-DYUCHANQI_SIGN_TEST_CERTIFICATE=ON)
run_preset win32 "the 32-bit Windows program (PE32, shipped), its unit tests and its window under Wine"
run_preset win64 "the same Windows program for x86-64, under 64-bit Wine"

# Which Windows suites ran in full, and why any did not.
summary=()
for preset in win32 win64; do
  skipped=$(sed -n 's/^\s*[0-9]* - \(.*\) (Skipped)$/\1/p' "build/$preset/ctest.log" 2>/dev/null |
    paste -sd, - | sed 's/,/, /g')
  if [ "${outcome[$preset]}" = failed ]; then
    summary+=("$preset FAILED")
  elif [ -z "$skipped" ]; then
    summary+=("$preset ran in full")
  else
    reason=$(bash tools/wine-run.sh "$preset" --why-not | sed 's/^SKIP: //' || true)
    summary+=("$preset skipped $skipped (${reason:-see build/$preset/ctest.log}), its file checks ran")
  fi
done
echo "Windows suites: ${summary[0]}; ${summary[1]}."
exit $status
