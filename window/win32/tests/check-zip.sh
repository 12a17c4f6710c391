#!/usr/bin/env bash
# The ZIP for Windows users holds exactly the program, 详细说明.txt, the
# licence and the notices of the runtimes in the program.
# SHA256SUMS beside it lists it, and `sha256sum -c` passes there. With --ca,
# the program in it carries a signature osslsigncode verifies against CA.
#   check-zip.sh <build folder> <package name> [--ca <CA file>]
set -euo pipefail
build=$1 zip=$2.zip ca=${4:-}
tests=$(cd "$(dirname "$0")" && pwd)
cd "$build"
rm -f "$zip"
cpack -G ZIP >/dev/null
listing=$(cmake -E tar tf "$zip" | sort)
expected=$(printf '%s\n' yuchanqi.exe 详细说明.txt LICENSE.txt THIRD-PARTY-NOTICES.txt | sort)
echo "$listing"
[ "$listing" = "$expected" ] || { echo "FAIL: expected:"; echo "$expected"; exit 1; }
echo "ok: $zip, $(stat -c %s "$zip") bytes"
sha256sum -c SHA256SUMS
grep -q "  $zip\$" SHA256SUMS || { echo "FAIL: SHA256SUMS does not list $zip"; exit 1; }
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$build/$zip" yuchanqi.exe)
python3 "$tests/check-program-file.py" ${ca:+--ca "$ca"} --signature "$unpacked/yuchanqi.exe"
