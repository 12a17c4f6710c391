#!/usr/bin/env bash
# Builds the .deb, checks its generated dependencies and contents, unpacks it
# into a scratch root, starts the installed program on the X display, presses
# 说明 in its real window and checks that the installed instructions file is
# what it hands to the desktop's opener.
set -euo pipefail
build=$1
: "${DISPLAY:?an X display is needed}"
cd "$build"
rm -f yuchanqi_*.deb
cpack -G DEB >/dev/null
deb=$(ls yuchanqi_*.deb)
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
check "depends on the Qt libraries it links (generated)" '[[ $depends == *libqt6widgets6* ]]'
check "depends on the C++ runtime (generated)" '[[ $depends == *libstdc++6* ]]'
check "depends on the Qt platform plugins" '[[ $depends == *qt6-qpa-plugins* ]]'
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/yuchanqi ./usr/share/yuchanqi/详细说明.txt \
         ./usr/share/applications/com.tavoren.Yuchanqi.desktop \
         ./usr/share/metainfo/com.tavoren.Yuchanqi.metainfo.xml; do
  check "the package holds $f" '[[ $contents == *" $f"* ]]'
done

# Debian's own checks: lintian finds no error and no warning, and the
# installed program carries the hardening of Debian's packages.
lint=$(lintian --tag-display-limit 0 "$deb" 2>/dev/null | grep -E '^[EW]: ' || true)
[ -z "$lint" ] || echo "$lint"
check "lintian reports no error and no warning" '[ -z "$lint" ]'
unpacked=$(mktemp -d)
dpkg -x "$deb" "$unpacked"
hardening=$(hardening-check "$unpacked/usr/bin/yuchanqi" || true)
rm -rf "$unpacked"
echo "$hardening"
for what in "Position Independent Executable" "Stack protected" "Fortify Source functions" \
            "Read-only relocations" "Immediate binding"; do
  check "hardening-check: $what" '[[ $hardening == *"$what: yes"* ]]'
done
# hardening-check finds stack-clash protection only in a function with a
# frame of more than a page, which the program has none of, and control-flow
# protection only where every object linked, Debian 12's C start files too,
# declares it, which those files do not. So these two are read from what the
# compiler recorded for each of the program's own units in the build.
producers=$(readelf --debug-dump=info window/qt/yuchanqi 2>/dev/null | grep DW_AT_producer || true)
if [ -z "$producers" ]; then
  echo "no compiler records in the build (no -g): stack-clash and control-flow protection not read"
else
  for flag in -fstack-clash-protection -fcf-protection; do
    check "every unit of the program was compiled with $flag" \
      '! grep -v -- "$flag" <<<"$producers" | grep -q "GNU C++"'
  done
fi

root=$(mktemp -d)
trap 'kill $program 2>/dev/null || true; rm -rf "$root"' EXIT
dpkg -x "$deb" "$root/install"
mkdir -p "$root/bin" "$root/work"
# The desktop's opener, replaced by one that notes what it is asked to open.
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >> "%s/opened"\n' "$root" > "$root/bin/xdg-open"
chmod +x "$root/bin/xdg-open"

(cd "$root/work" && PATH="$root/bin:$PATH" QT_QPA_PLATFORM=xcb XDG_CURRENT_DESKTOP= \
   exec "$root/install/usr/bin/yuchanqi") &
program=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tavoren预产期计算器1.0$' | head -1)
check "the installed program's window appears" '[ -n "$window" ]'
if [ -n "$window" ]; then
  sleep 0.5
  # 说明 (Command3) sits at 1560,3000 twips, 1215 x 495: its middle in pixels.
  xdotool mousemove --window "$window" 144 216 click 1
  for _ in $(seq 100); do [ -s "$root/opened" ] && break; sleep 0.1; done
  opened=$(cat "$root/opened" 2>/dev/null || true)
  decoded=$(printf '%b' "${opened//%/\\x}")
  echo "opened: $decoded"
  check "说明 opens the installed instructions file" \
    '[[ $decoded == *"$root/install/usr/share/yuchanqi/详细说明.txt"* ]]'
fi
exit $fail
