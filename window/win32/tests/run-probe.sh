#!/usr/bin/env bash
# Runs our driver (win32_probe) under Wine in a fresh working directory, and
# turns the driver's screenshots into PNGs.
#   run-probe.sh window win32|win64 <driver> <program> <screenshot folder> <marker DLL> <one-window program>
#     works the real program. It runs from a folder of its own whose name
#     has a blank, with its instructions and, planted beside it, a
#     notepad.exe that must not be started; the driver then plants the
#     marker DLL beside a copy of the program under the names of DLLs it
#     could load, and compares with the one-window program.
#   run-probe.sh setup win32|win64 <driver> <setup.exe> <screenshot folder> <marker DLL> <one-window program> [--ca <CA file>]
#     runs the setup program from a downloads folder of its own among
#     planted marker DLLs, silently and through its wizard, in the build's
#     Wine prefix, whose user's AppData it installs into and leaves clean.
#     The program it installed and the uninstaller it wrote (the driver
#     leaves copies) then carry a signature osslsigncode verifies against the
#     CA given, or with no CA none.
set -euo pipefail
mode=$1 arch=$2 probe=$3 program=$4 shots=$5 marker=$6 minimal=$7 ca=${9:-}
wine_run=$(cd "$(dirname "$0")/../../../tools" && pwd)/wine-run.sh
tests=$(cd "$(dirname "$0")" && pwd)
# A host that cannot run this Wine says why, and the test is skipped.
"$wine_run" "$arch" --why-not
work=$(mktemp -d)
# Working folders the program may not write, as Program Files is for a user:
# immutable where root runs the tests (root writes through permission bits);
# the second holds a "time.txt" of 2020, immutable too.
protected="$work/只读 folder" protected_old="$work/只读 old"
trap 'chattr -i "$protected" "$protected_old" "$protected_old/time.txt" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$shots"
cd "$work"
# Wine sees the Unix file system as drive Z:.
windows_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }
status=0
case $mode in
  window)
    folder="$work/预产期 program"
    mkdir "$folder"
    cp "$program" "$(dirname "$program")/详细说明.txt" "$folder/"
    cp "$probe" "$folder/notepad.exe"
    mkdir "$protected" "$protected_old"
    printf '2007,1,1,28\r\n2007,1,15,0\r\n' >"$protected_old/time.txt"
    touch -d '2020-01-01 00:00:00' "$protected_old/time.txt"
    chmod 555 "$protected" "$protected_old"
    [ "$(id -u)" -ne 0 ] || chattr +i "$protected" "$protected_old/time.txt" "$protected_old" ||
      echo "run-probe.sh: cannot make $protected immutable; the check of a protected folder fails" >&2
    "$wine_run" "$arch" "$probe" "$(windows_path "$folder/$(basename "$program")")" "$(windows_path "$work")" \
      "$(windows_path "$marker")" "$(windows_path "$minimal")" || status=$?
    shots_made="window:yuchanqi-wine question:yuchanqi-wine-question no-editor:yuchanqi-wine-no-editor
      tooltip:yuchanqi-wine-tooltip" ;;
  setup)
    "$wine_run" "$arch" "$probe" --setup "$(windows_path "$program")" "$(windows_path "$work")" \
      "$(windows_path "$marker")" "$(windows_path "$minimal")" "$(windows_path "$work/setup.bmp")" || status=$?
    python3 "$tests/check-program-file.py" ${ca:+--ca "$ca"} --signature "$work/installed-yuchanqi.exe" \
      "$work/installed-uninstaller.exe" || status=1
    shots_made="setup:yuchanqi-setup-wine" ;;
  *) echo "run-probe.sh: unknown mode '$mode' (window or setup)" >&2; exit 2 ;;
esac
for shot in $shots_made; do
  if [ -f "$work/${shot%%:*}.bmp" ]; then
    /usr/bin/convert "$work/${shot%%:*}.bmp" "$shots/${shot#*:}.png" && echo "screenshot: $shots/${shot#*:}.png"
  fi
done
exit $status
