#!/usr/bin/env bash
# Checks that the packages are reproducible: builds the .deb, the Windows
# ZIP and the Windows setup program of the last commit (what is not committed
# plays no part) twice, from two clones in different folders and at
# different times, and compares them byte for byte. On a difference it says
# which files inside differ. SHA256SUMS, the two build folders' put
# together, is compared too, and checked with `sha256sum -c`.
# Given a certificate and its password file, the Windows program, its setup
# and uninstaller are signed with it in both builds (no time stamp), and the
# signed packages must still be the same.
#   bash tools/reproducible.sh [--sign <certificate.p12> <password file>]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/common.sh"
# shellcheck disable=SC2086
ensure_packages $TEST_PACKAGES >/dev/null
signing=()
if [ "${1:-}" = --sign ]; then
  [ -f "${2:-}" ] && [ -f "${3:-}" ] || { echo "usage: $0 [--sign <certificate.p12> <password file>]" >&2; exit 2; }
  signing=(-DYUCHANQI_SIGN_PKCS12="$(realpath "$2")" -DYUCHANQI_SIGN_PASSWORD_FILE="$(realpath "$3")")
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Builds the two packages in a fresh clone at $1; leaves them in $1/out.
build() {
  local tree=$1
  git clone -q "$root" "$tree"
  if ! (
    cd "$tree" &&
      cmake -S . -B build/deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DYUCHANQI_TESTS=OFF &&
      cmake --build build/deb &&
      (cd build/deb && cpack -G DEB) &&
      cmake -S . -B build/zip -G Ninja --toolchain cmake/i686-w64-mingw32.cmake \
        -DCMAKE_BUILD_TYPE=Release -DYUCHANQI_TESTS=OFF "${signing[@]}" &&
      cmake --build build/zip &&
      (cd build/zip && cpack -G "ZIP;NSIS") &&
      mkdir out &&
      cp build/deb/yuchanqi_*.deb build/zip/yuchanqi-*.zip build/zip/yuchanqi-*-setup.exe out/ &&
      cat build/deb/SHA256SUMS build/zip/SHA256SUMS >out/SHA256SUMS &&
      (cd out && sha256sum -c SHA256SUMS)
  ) >"$tree.log" 2>&1; then
    tail -20 "$tree.log"
    echo "FAIL: the build in $tree failed"
    exit 1
  fi
}

build "$scratch/first"
sleep 2
build "$scratch/second build, 第二次"

# What differs inside two packages, file by file.
explain() {
  local a=$1 b=$2 x
  case $a in
    *SHA256SUMS) diff "$a" "$b" || true; return ;;
    *.exe)
      echo "bytes that differ (offset, then the byte in each, octal), the first 40:"
      cmp -l "$a" "$b" | head -40 || true
      return ;;
  esac
  for x in "$a" "$b"; do
    mkdir -p "$x.d"
    case $x in
      *.deb) dpkg-deb -R "$x" "$x.d"; dpkg-deb --fsys-tarfile "$x" | tar tv --full-time >"$x.list" ;;
      *.zip) (cd "$x.d" && cmake -E tar xf "$x"); unzip -Z -T "$x" >"$x.list" 2>/dev/null || true ;;
    esac
  done
  diff "$a.list" "$b.list" || true
  diff -rq "$a.d" "$b.d" || true
}

status=0
for first in "$scratch/first/out"/*; do
  name=$(basename "$first")
  second="$scratch/second build, 第二次/out/$name"
  if [ ! -f "$second" ]; then
    echo "FAIL: $name was built only once"; status=1
  elif cmp -s "$first" "$second"; then
    echo "ok: $name is the same in both builds ($(sha256sum <"$first" | cut -c1-16)…, $(stat -c %s "$first") bytes)"
  else
    echo "FAIL: $name differs between the builds"; explain "$first" "$second"; status=1
  fi
done
# Signed, the setup and the program in the ZIP carry a signature.
if [ ${#signing[@]} -gt 0 ]; then
  (cd "$scratch/first/out" && mkdir zip && cd zip && cmake -E tar xf ../yuchanqi-*.zip)
  for signed in "$scratch/first/out"/yuchanqi-*-setup.exe "$scratch/first/out/zip/yuchanqi.exe"; do
    if osslsigncode extract-signature -in "$signed" -out "$scratch/signature" >/dev/null 2>&1; then
      echo "ok: $(basename "$signed") is signed"
    else
      echo "FAIL: $(basename "$signed") is not signed"; status=1
    fi
    rm -f "$scratch/signature"
  done
fi
exit $status
