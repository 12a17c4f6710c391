#!/usr/bin/env bash
# Runs the setup program under Wine with our driver (win32_probe --setup):
# from a downloads folder of its own among planted marker DLLs, silently and
# through its wizard, in the build's Wine prefix, whose user's AppData it
# installs into and leaves clean. The wizard's first page is kept as a PNG.
#   run-setup.sh win32|win64 <driver> <setup.exe> <screenshot folder> <marker DLL> <one-window program>
set -euo pipefail
arch=$1 probe=$2 setup=$3 shots=$4 marker=$5 minimal=$6
wine_run=$(cd "$(dirname "$0")/../../../tools" && pwd)/wine-run.sh
# A host that cannot run this Wine says why, and the test is skipped.
"$wine_run" "$arch" --why-not
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$shots"
cd "$work"
# Wine sees the Unix file system as drive Z:.
windows_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }
status=0
"$wine_run" "$arch" "$probe" --setup "$(windows_path "$setup")" "$(windows_path "$work")" \
  "$(windows_path "$marker")" "$(windows_path "$minimal")" "$(windows_path "$work/setup.bmp")" || status=$?
if [ -f "$work/setup.bmp" ]; then
  /usr/bin/convert "$work/setup.bmp" "$shots/yuchanqi-setup-wine.png" && echo "screenshot: $shots/yuchanqi-setup-wine.png"
fi
exit $status
