#!/usr/bin/env bash
# The ZIP for Windows users holds exactly the program, 详细说明.txt, the
# licence and the notices of the runtimes in the program.
#   check-zip.sh <build folder> <package name>
set -euo pipefail
build=$1 zip=$2.zip
cd "$build"
rm -f "$zip"
cpack -G ZIP >/dev/null
listing=$(cmake -E tar tf "$zip" | sort)
expected=$(printf '%s\n' yuchanqi.exe 详细说明.txt LICENSE.txt THIRD-PARTY-NOTICES.txt | sort)
echo "$listing"
[ "$listing" = "$expected" ] || { echo "FAIL: expected:"; echo "$expected"; exit 1; }
echo "ok: $zip, $(stat -c %s "$zip") bytes"
