#!/usr/bin/env bash
# Runs a Windows program of ours under Wine (32-bit), in a Wine prefix of the
# build's own that is set up on first use: no window manager decorations
# needed, SimSun mapped to an installed Chinese font, no Mono or Gecko.
# Needs an X display (DISPLAY) for anything with a window.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${YUCHANQI_WINEPREFIX:-$here/../build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=C.UTF-8 LC_ALL=C.UTF-8

if [ ! -f "$WINEPREFIX/.yuchanqi-ready" ]; then
  mkdir -p "$WINEPREFIX"
  exec 9>"$WINEPREFIX/.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/.yuchanqi-ready" ]; then
    wineboot -i >/dev/null 2>&1 || true
    font="WenQuanYi Micro Hei"
    {
      echo 'REGEDIT4'
      echo
      echo '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]'
      echo '"Managed"="N"'
      echo
      echo '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]'
      for face in SimSun NSimSun "MS Shell Dlg" "MS Shell Dlg 2" Tahoma "Microsoft Sans Serif"; do
        echo "\"$face\"=\"$font\""
      done
    } >"$WINEPREFIX/yuchanqi.reg"
    wine regedit "$WINEPREFIX/yuchanqi.reg" >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.yuchanqi-ready"
  fi
  exec 9>&-
fi
exec wine "$@"
