#!/usr/bin/env bash
# Takes the README's pictures of the real windows on Xvfb: the Linux program
# and the Windows program under Wine, each after 计算 has been pressed.
#   bash tools/screenshot.sh   → docs/yuchanqi-linux.png, docs/yuchanqi-wine.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. tools/common.sh
# shellcheck disable=SC2086
ensure_packages $TEST_PACKAGES >/dev/null
# The 32-bit Windows program where this host runs it, else the x86-64 build.
windows=win32
bash tools/wine-run.sh win32 --why-not >/dev/null || windows=win64
{
  cmake --preset linux && cmake --build --preset linux --target yuchanqi
  cmake --preset $windows && cmake --build --preset $windows --target yuchanqi
} >/dev/null

work=$(mktemp -d)
start_xvfb 161 'rm -rf "$work"'
cd "$work"

# A pregnancy of about four months: the first day of the last period 120 days ago.
read -r year month day <<<"$(date -d '-120 days' '+%Y %-m %-d')"

# Starts a program, types that date, presses 计算 (Command4, middle at
# 3487,3247 twips) and photographs its window.
shoot() {
  local out=$1; shift
  "$@" >/dev/null 2>&1 &
  local program=$!
  local window
  window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tavoren预产期计算器1.0$' | head -1)
  sleep 1
  # The window's client area: Wine draws a caption of its own above it.
  local geometry x y
  geometry=$(xwininfo -id "$window")
  x=$(awk '/Absolute upper-left X/ { print $4 }' <<<"$geometry")
  y=$(awk '/Absolute upper-left Y/ { print $4 }' <<<"$geometry")
  local client_y=$(( y + $(awk '/Height/ { print $2 }' <<<"$geometry") - 240 ))
  type_into() {  # middle of the box in pixels, text
    xdotool mousemove $((x + $1)) $((client_y + $2)) click 1 key End \
      BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace type "$3"
  }
  type_into 168 20 "$year"   # Text1
  type_into 240 20 "$month"  # Text2
  type_into 312 20 "$day"    # Text3
  xdotool mousemove $((x + 232)) $((client_y + 216)) click 1
  sleep 1
  /usr/bin/import -window root -crop "$(awk '/Width/ { print $2 }' <<<"$geometry")x$(awk '/Height/ { print $2 }' <<<"$geometry")+$x+$y" "$root/docs/$out"
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  echo "docs/$out"
}

shoot yuchanqi-linux.png "$root/build/linux/window/qt/yuchanqi"
export WINEPREFIX=$root/build/wineprefix-$windows
shoot yuchanqi-wine.png "$root/tools/wine-run.sh" $windows "$root/build/$windows/window/win32/yuchanqi.exe"
wineserver -k 2>/dev/null || true
