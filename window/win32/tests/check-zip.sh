#!/usr/bin/env bash
# The ZIP for Windows users holds exactly the program and 详细说明.txt.
set -euo pipefail
build=$1
cd "$build"
rm -f yuchanqi-1.0-win32.zip
cpack -G ZIP >/dev/null
listing=$(cmake -E tar tf yuchanqi-1.0-win32.zip | sort)
expected=$(printf '%s\n' yuchanqi.exe 详细说明.txt | sort)
echo "$listing"
[ "$listing" = "$expected" ] || { echo "FAIL: expected the program and 详细说明.txt"; exit 1; }
echo "ok: $(stat -c %s yuchanqi-1.0-win32.zip) bytes"
