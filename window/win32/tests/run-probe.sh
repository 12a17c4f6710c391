#!/usr/bin/env bash
# Works the real Windows program under Wine with our driver, in a fresh
# working directory, and turns the driver's screenshot into a PNG.
#   run-probe.sh win32|win64 <driver> <program> <screenshot folder>
set -euo pipefail
arch=$1 probe=$2 program=$3 shots=$4
wine_run=$(cd "$(dirname "$0")/../../../tools" && pwd)/wine-run.sh
# A host that cannot run this Wine says why, and the test is skipped.
"$wine_run" "$arch" --why-not
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$shots"
cd "$work"
status=0
# Wine sees the Unix file system as drive Z:.
windows_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }
"$wine_run" "$arch" "$probe" "$(windows_path "$program")" "$(windows_path "$work")" || status=$?
if [ -f "$work/window.bmp" ]; then
  /usr/bin/convert "$work/window.bmp" "$shots/yuchanqi-wine.png" && echo "screenshot: $shots/yuchanqi-wine.png"
fi
exit $status
