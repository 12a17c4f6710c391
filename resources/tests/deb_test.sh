#!/usr/bin/env bash
# Builds the .deb, checks its generated dependencies, its contents and its
# line in SHA256SUMS, unpacks it into a scratch root and checks the installed
# program: its command line with
# no display; started on the X display as the menu starts it (the desktop
# entry's Exec line, in a home of its own), 说明 hands the installed
# instructions file to the desktop's opener and 退出 keeps "time.txt" in the
# program's data folder and nothing in the home folder; and a data folder
# that cannot be made is explained, the entries then kept in the working
# directory.
set -euo pipefail
build=$1
: "${DISPLAY:?an X display is needed}"
cd "$build"
rm -f yuchanqi_*.deb
cpack -G DEB >/dev/null
deb=$(ls yuchanqi_*.deb)
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }
check "SHA256SUMS beside it lists $deb, and sha256sum -c passes there" \
  'grep -q "  $deb\$" SHA256SUMS && sha256sum -c SHA256SUMS'

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
check "depends on the Qt libraries it links (generated)" '[[ $depends == *libqt6widgets6* ]]'
check "depends on the C++ runtime (generated)" '[[ $depends == *libstdc++6* ]]'
check "depends on the Qt platform plugins" '[[ $depends == *qt6-qpa-plugins* ]]'
recommends=$(dpkg-deb -f "$deb" Recommends)
echo "Recommends: $recommends"
check "recommends Qt's Wayland plugin" '[[ $recommends == *qt6-wayland* ]]'
check "depends on Qt's Chinese texts" '[[ $depends == *qt6-translations-l10n* ]]'
check "recommends a Chinese font, the one with the Simplified Chinese face first" \
  '[[ $recommends == "fonts-noto-cjk | fonts-wqy-microhei"* ]]'
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
mkdir -p "$root/bin"
# The desktop's opener, replaced by one that notes what it is asked to open.
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >> "%s/opened"\n' "$root" > "$root/bin/xdg-open"
chmod +x "$root/bin/xdg-open"

# The command line, with no display at all: --help and --version print to
# standard output and end with 0, a wrong option says so on standard error
# and ends with 2; none of them makes a data folder.
bare() {
  rc=0
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_DATA_HOME HOME="$root/bare" \
    "$root/install/usr/bin/yuchanqi" "$@" 2>"$root/err") || rc=$?
  err=$(cat "$root/err")
}
bare --help
echo "$out"
check "--help: the usage on standard output, status 0" '[ $rc = 0 ] && [ -z "$err" ]'
check "--help names the options" '[[ $out == *--data-folder* && $out == *--help* && $out == *--version* ]]'
check "--help says where time.txt is kept" \
  '[[ $out == *time.txt*当前文件夹* && $out == *"$root/bare/.local/share/yuchanqi"* ]]'
bare --version
version=$(dpkg-deb -f "$deb" Version)
check "--version prints the package's version ($version), status 0" \
  '[ $rc = 0 ] && [[ $out == *" $version" ]] && [ -z "$err" ]'
bare --no-such-option
echo "$err"
check "an unknown option: a message on standard error naming it, status 2" \
  '[ $rc = 2 ] && [ -z "$out" ] && [[ $err == *"“--no-such-option”"* ]]'
check "the command line made no folder" '[ ! -e "$root/bare" ]'

# Started as the menu starts it: the words of the desktop entry's Exec line
# (it has no field codes), from the home folder, with the package's programs
# first on the PATH.
exec_line=$(sed -n 's/^Exec=//p' "$root/install/usr/share/applications/com.tavoren.Yuchanqi.desktop")
read -ra exec_words <<<"$exec_line"
echo "Exec: $exec_line"
start() {  # HOME, working directory, XDG_DATA_HOME (empty: unset)
  (cd "$2" && exec env -u XDG_CONFIG_HOME -u XDG_CACHE_HOME -u XDG_DATA_HOME ${3:+XDG_DATA_HOME=$3} \
     HOME="$1" PATH="$root/install/usr/bin:$root/bin:$PATH" QT_QPA_PLATFORM=xcb XDG_CURRENT_DESKTOP= \
     "${exec_words[@]}") &
  program=$!
}
caption='^Tavoren预产期计算器1.0$'
# Presses 退出 (Command1: 4320,3000 twips, 1215 x 495; its middle in pixels)
# and waits for the program to end.
press_exit() {
  xdotool mousemove --window "$1" 328 216 click 1
  for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
  check "退出 ends the program" '! kill -0 $program 2>/dev/null'
}
saved=$'2011,4,27,28\r\n2011,5,15,0\r'

home=$root/home
mkdir -p "$home"
start "$home" "$home" ""
window=$(timeout 20 xdotool search --sync --onlyvisible --name "$caption" | head -1)
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
  press_exit "$window"
fi
data=$home/.local/share/yuchanqi
check "退出 saved time.txt in the data folder" '[ "$(cat "$data/time.txt" 2>/dev/null)" = "$saved" ]'
for folder in "$home/.local" "$home/.local/share" "$data"; do
  check "${folder#"$home/"} was made with mode 700" '[ "$(stat -c %a "$folder")" = 700 ]'
done
stray=$(find "$home" -mindepth 1 ! -path "$home/.local" ! -path "$home/.local/share" ! -path "$data" \
  ! -path "$data/*")
[ -z "$stray" ] || echo "$stray"
check "nothing else in the home folder" '[ -z "$stray" ]'

# A data folder that cannot be made (a file of the user's where it belongs):
# a message box says so before the window opens; the entries then go to the
# working directory and the file stays as it was.
mkdir -p "$root/blocked/home" "$root/blocked/work"
printf 'mine' > "$root/blocked/data"
start "$root/blocked/home" "$root/blocked/work" "$root/blocked/data"
message=$(timeout 20 xdotool search --sync --onlyvisible --name '^预产期计算器$' | head -1)
check "a message box says the data folder cannot be made" '[ -n "$message" ]'
check "the window waits for it" '! xdotool search --onlyvisible --name "$caption" >/dev/null'
if [ -n "$message" ]; then
  sleep 0.5
  xdotool windowfocus --sync "$message" key Return
  window=$(timeout 20 xdotool search --sync --onlyvisible --name "$caption" | head -1)
  check "the window opens once the message is answered" '[ -n "$window" ]'
  [ -z "$window" ] || { sleep 0.5; press_exit "$window"; }
fi
check "退出 saved time.txt in the working directory" \
  '[ "$(cat "$root/blocked/work/time.txt" 2>/dev/null)" = "$saved" ]'
check "the file in the data folder's place is untouched" '[ "$(cat "$root/blocked/data")" = mine ]'
exit $fail
