#!/usr/bin/env bash
# The ZIP for Windows users holds exactly the program, 详细说明.txt, the
# licence and the notices of the runtimes in the program; every line of its
# texts ends with CR LF, the last one too, as the Notepad of Windows 7 needs.
# SHA256SUMS beside it lists it, and `sha256sum -c` passes there. With --ca,
# the program in it carries a signature osslsigncode verifies against CA, and
# a signing that fails removes what it was to sign.
#   check-zip.sh <build folder> <package name> [--ca <CA file>]
set -euo pipefail
build=$1 zip=$2.zip ca=${4:-}
tests=$(cd "$(dirname "$0")" && pwd)
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
cd "$build"
rm -f "$zip"
cpack -G ZIP >/dev/null
listing=$(cmake -E tar tf "$zip" | sort)
expected=$(printf '%s\n' yuchanqi.exe 详细说明.txt LICENSE.txt THIRD-PARTY-NOTICES.txt | sort)
echo "$listing"
[ "$listing" = "$expected" ] || { echo "FAIL: expected:"; echo "$expected"; exit 1; }
(cd "$unpacked" && cmake -E tar xf "$OLDPWD/$zip")
for text in "$unpacked"/*.txt; do
  bare=$(LC_ALL=C grep -c -v $'\r$' "$text" || true)
  [ -s "$text" ] && [ "$bare" = 0 ] && [ "$(tail -c 2 "$text" | od -An -tx1 | tr -d ' ')" = 0d0a ] ||
    { echo "FAIL: $(basename "$text"): $bare lines end without CR LF, or the last has no line end"; exit 1; }
  echo "ok: every line of $(basename "$text") ends with CR LF"
done
echo "ok: $zip, $(stat -c %s "$zip") bytes"
sha256sum -c SHA256SUMS
grep -q "  $zip\$" SHA256SUMS || { echo "FAIL: SHA256SUMS does not list $zip"; exit 1; }
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
