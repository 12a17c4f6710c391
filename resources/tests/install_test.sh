#!/usr/bin/env bash
# `cmake --install` into a scratch prefix puts every file where a desktop
# finds it, and the desktop entry and AppStream metainfo pass their validators.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
fail=0
expect() { if [ -e "$prefix/$1" ]; then echo "ok: $1"; else echo "FAIL: missing $1"; fail=1; fi; }
expect bin/yuchanqi
expect share/yuchanqi/详细说明.txt
expect share/applications/com.tavoren.Yuchanqi.desktop
expect share/metainfo/com.tavoren.Yuchanqi.metainfo.xml
expect share/icons/hicolor/scalable/apps/yuchanqi.svg
expect share/doc/yuchanqi/copyright
expect share/doc/yuchanqi/changelog.gz
expect share/man/man1/yuchanqi.1.gz
for size in 16 32 48 128 256; do
  png=share/icons/hicolor/${size}x${size}/apps/yuchanqi.png
  expect "$png"
  # The PNG header holds width and height as 32-bit big-endian numbers.
  read -r w h < <(od -An -j16 -N8 -tu1 "$prefix/$png" |
    awk '{ print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }')
  if [ "$w" = "$size" ] && [ "$h" = "$size" ]; then echo "ok: $png is ${w}x$h"; else
    echo "FAIL: $png is ${w}x$h"; fail=1; fi
done
desktop-file-validate "$prefix/share/applications/com.tavoren.Yuchanqi.desktop" && echo "ok: desktop entry valid" || fail=1
appstreamcli validate --no-net "$prefix/share/metainfo/com.tavoren.Yuchanqi.metainfo.xml" && echo "ok: metainfo valid" || fail=1
exit $fail
