#!/usr/bin/env bash
# Runs a Windows program of ours under Wine of the program's bitness, in a
# Wine prefix of the build's own that is set up on first use: no window
# manager decorations needed, SimSun mapped to an installed Chinese font, no
# Mono or Gecko. Needs an X display (DISPLAY) for anything with a window.
#
#   wine-run.sh win32|win64 PROGRAM [ARGUMENTS...]
#   wine-run.sh win32|win64 --why-not    prints why this host cannot run
#                                        that Wine (exit 77), or nothing
#
# 32-bit Wine needs a kernel that executes i386 programs, which some hosts
# lack. There, and wherever YUCHANQI_NO_32BIT=1 asks for it, a win32 run
# prints the reason and exits 77, which the tests report as skipped. 64-bit
# Wine is never skipped: when it cannot run, the run fails.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
readonly SKIP=77
arch=${1:?usage: wine-run.sh win32|win64 PROGRAM [ARGUMENTS...]}
shift

case $arch in
  win32) loader=/usr/lib/wine/wine ;;
  # /usr/bin/wine would pick the 32-bit loader whenever wine32 is installed.
  win64) loader=/usr/lib/wine/wine64 ;;
  *) echo "wine-run.sh: unknown Wine '$arch' (win32 or win64)" >&2; exit 2 ;;
esac
export WINEPREFIX=${YUCHANQI_WINEPREFIX:-$here/../build/wineprefix-$arch}
export WINEARCH=$arch WINELOADER=$loader
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=C.UTF-8 LC_ALL=C.UTF-8

# Why this host cannot run the 32-bit Wine, or nothing. Whether the kernel
# executes i386 programs is found out by trying the loader, once per prefix.
why_not_32bit() {
  if [ "${YUCHANQI_NO_32BIT:-0}" = 1 ]; then
    echo "YUCHANQI_NO_32BIT=1 asks to skip what needs 32-bit execution"
  elif [ ! -x "$loader" ]; then
    echo "32-bit Wine is not installed ($loader, package wine32:i386)"
  else
    local record=$WINEPREFIX.host
    if [ ! -f "$record" ]; then
      mkdir -p "$(dirname "$record")"
      local out
      if out=$("$loader" --version 2>&1); then : >"$record"; else
        echo "this host cannot execute 32-bit (i386) programs: $loader --version: ${out##*: }" >"$record"
      fi
    fi
    cat "$record"
  fi
}

if [ "$arch" = win32 ]; then
  reason=$(why_not_32bit)
  if [ -n "$reason" ]; then
    echo "SKIP: $reason"
    exit $SKIP
  fi
fi
[ "${1:-}" = --why-not ] && exit 0

if [ ! -f "$WINEPREFIX/.yuchanqi-ready-2" ]; then
  mkdir -p "$WINEPREFIX"
  exec 9>"$WINEPREFIX/.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/.yuchanqi-ready-2" ]; then
    "$loader" wineboot.exe -i >/dev/null 2>&1 || true
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
    "$loader" regedit.exe "$WINEPREFIX/yuchanqi.reg" >/dev/null 2>&1
    # SimSun by its Chinese name, as Chinese programs ask for it (the setup's
    # wizard does); given as an argument, which Wine reads as UTF-8.
    "$loader" reg.exe add 'HKCU\Software\Wine\Fonts\Replacements' /v 宋体 /d "$font" /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.yuchanqi-ready-2"
  fi
  exec 9>&-
fi
exec "$loader" "$@"
