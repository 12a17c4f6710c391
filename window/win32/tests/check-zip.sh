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
status=0
for text in "$unpacked"/*.txt; do
  name=$(basename "$text")
  bare=$(LC_ALL=C grep -c -v $'\r$' "$text" || true)
  if [ -s "$text" ] && [ "$bare" = 0 ] && [ "$(tail -c 2 "$text" | od -An -tx1 | tr -d ' ')" = 0d0a ]; then
    echo "ok: every line of $name ends with CR LF"
  else
    echo "FAIL: $name: $bare lines end without CR LF, or the last has no line end"
    status=1
  fi
done
[ $status = 0 ] || exit 1
echo "ok: $zip, $(stat -c %s "$zip") bytes"
