#!/usr/bin/env bash
# The ZIP for Windows users holds exactly the program, 详细说明.txt, the
# licence and the notices of the runtimes in the program; every line of its
# texts ends with CR LF, the last one too, as the Notepad of Windows 7 needs.
#   check-zip.sh <build folder> <package name>
set -euo pipefail
build=$1 zip=$2.zip
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
