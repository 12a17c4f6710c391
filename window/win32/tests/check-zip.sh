#!/usr/bin/env bash
# The ZIP for Windows users holds exactly the program, 详细说明.txt, the
# licence and the notices of the runtimes in the program.
# SHA256SUMS beside it lists it, and `sha256sum -c` passes there. With --ca,
# the program in it carries a signature osslsigncode verifies against CA, and
# a signing that fails removes what it was to sign.
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
(cd "$unpacked" && cmake -E tar xf "$build/$zip")
python3 "$tests/check-program-file.py" ${ca:+--ca "$ca"} --signature "$unpacked/yuchanqi.exe"
[ -n "$ca" ] || exit 0
# A signing that fails (here with a wrong password) fails, and removes the
# file it was to sign: no unsigned program is left to pack.
echo "not the password" >"$unpacked/wrong password"
sed "s|^set(password_file .*|set(password_file \"$unpacked/wrong password\")|" sign-file.cmake >"$unpacked/sign.cmake"
if cmake -DYUCHANQI_SIGN_FILE="$unpacked/yuchanqi.exe" -P "$unpacked/sign.cmake" >/dev/null 2>&1 ||
  [ -e "$unpacked/yuchanqi.exe" ]; then
  echo "FAIL: a signing that fails fails, and removes the program it was to sign"; exit 1
fi
echo "ok: a signing that fails fails, and removes the program it was to sign"
