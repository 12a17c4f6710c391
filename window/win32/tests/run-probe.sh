#!/usr/bin/env bash
# Works the real Windows program under Wine with our driver, in a fresh
# working directory, and turns the driver's screenshot into a PNG.
set -euo pipefail
probe=$1 program=$2 shots=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$shots"
cd "$work"
status=0
# Wine sees the Unix file system as drive Z:.
windows_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }
"$here/../../../tools/wine-run.sh" "$probe" "$(windows_path "$program")" "$(windows_path "$work")" ||
  status=$?
if [ -f "$work/window.bmp" ]; then
  /usr/bin/convert "$work/window.bmp" "$shots/yuchanqi-wine.png" && echo "screenshot: $shots/yuchanqi-wine.png"
fi
exit $status
