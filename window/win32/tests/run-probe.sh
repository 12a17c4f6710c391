#!/usr/bin/env bash
# Works the real Windows program under Wine with our driver, in a fresh
# working directory, and turns the driver's screenshot into a PNG. The
# program runs from a folder of its own whose name has a blank, with its
# instructions and, planted beside it, a notepad.exe that must not be started.
# The driver then plants the marker DLL beside a copy of the program under
# the names of DLLs it could load, and compares with the one-window program.
#   run-probe.sh win32|win64 <driver> <program> <screenshot folder> <marker DLL> <one-window program>
set -euo pipefail
arch=$1 probe=$2 program=$3 shots=$4 marker=$5 minimal=$6
wine_run=$(cd "$(dirname "$0")/../../../tools" && pwd)/wine-run.sh
# A host that cannot run this Wine says why, and the test is skipped.
"$wine_run" "$arch" --why-not
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$shots"
folder="$work/预产期 program"
mkdir "$folder"
cp "$program" "$(dirname "$program")/详细说明.txt" "$folder/"
cp "$probe" "$folder/notepad.exe"
cd "$work"
status=0
# Wine sees the Unix file system as drive Z:.
windows_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }
"$wine_run" "$arch" "$probe" "$(windows_path "$folder/$(basename "$program")")" "$(windows_path "$work")" \
  "$(windows_path "$marker")" "$(windows_path "$minimal")" || status=$?
for shot in window:yuchanqi-wine question:yuchanqi-wine-question; do
  if [ -f "$work/${shot%%:*}.bmp" ]; then
    /usr/bin/convert "$work/${shot%%:*}.bmp" "$shots/${shot#*:}.png" && echo "screenshot: $shots/${shot#*:}.png"
  fi
done
exit $status
