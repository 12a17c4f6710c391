#!/usr/bin/env bash
# The Windows program is a 32-bit GUI executable that imports nothing but
# DLLs every Windows has: no C++ runtime or threads DLL beside it.
set -euo pipefail
exe=$1
dump=$(i686-w64-mingw32-objdump -p "$exe")
fail=0
grep -q 'file format pei-i386' <<<"$dump" || { echo "FAIL: not a PE32 (i386) file"; fail=1; }
grep -Eq '^Subsystem\s+0+2\s' <<<"$dump" || { echo "FAIL: not a Windows GUI program"; fail=1; }
system='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|comdlg32|msvcrt|version|ole32|oleaut32|ws2_32)\.dll$'
count=0
while read -r dll; do
  count=$((count + 1))
  if grep -Eqi "$system" <<<"$dll"; then echo "ok: imports $dll"; else echo "FAIL: imports $dll"; fail=1; fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
[ "$count" -gt 0 ] || { echo "FAIL: no import table read"; fail=1; }
exit $fail
