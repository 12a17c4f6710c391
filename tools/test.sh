#!/usr/bin/env bash
# Builds everything and runs every test: the calculation, the saved-entries
# file, the window's actions, the Qt window (offscreen and on Xvfb), and the
# 32-bit Windows program under Wine. Installs what is missing first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. tools/packages.sh
# shellcheck disable=SC2086
ensure_packages $TEST_PACKAGES

# One X server for the tests that need a real display.
display=
for n in $(seq 90 120); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/tmp/yuchanqi-xvfb.log 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

status=0
echo "== Linux build and tests"
cmake --preset linux >/dev/null
cmake --build --preset linux
ctest --preset linux -j2 || status=1

echo "== 32-bit Windows build and tests (Wine)"
cmake --preset win32 >/dev/null
cmake --build --preset win32
ctest --preset win32 || status=1

exit $status
