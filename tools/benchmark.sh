#!/usr/bin/env bash
# Benchmarks, with one command: start-up time (process start to window mapped
# on Xvfb) and peak resident memory of the Linux program against a minimal Qt
# program, and of the Windows program under Wine against a minimal Win32
# program; then the core's Google Benchmark. Prints Markdown.
#   bash tools/benchmark.sh [runs]
set -euo pipefail
runs=${1:-15}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. tools/common.sh
# shellcheck disable=SC2086
ensure_packages $TEST_PACKAGES >/dev/null

# The Windows build whose Wine this host can run.
wine_run=$root/tools/wine-run.sh
windows=win32
"$wine_run" win32 --why-not >/dev/null || windows=win64
{
  cmake --preset linux && cmake --build --preset linux --target yuchanqi minimal_qt mapwatch core_benchmark
  cmake --preset $windows && cmake --build --preset $windows --target yuchanqi minimal_win32
} >/dev/null

work=$(mktemp -d)
start_xvfb 130 'rm -rf "$work"'
cd "$work"

mapwatch=$root/build/linux/bench/mapwatch
# median of column $1 of stdin
median() { sort -n -k"$1","$1" | awk -v c="$1" '{ v[NR] = $c } END { print v[int((NR + 1) / 2)] }'; }
# Runs `title program...` $runs times; prints "<median ms> <median KiB>".
measure() {
  local title=$1; shift
  local out=$work/samples
  : >"$out"
  for _ in $(seq "$runs"); do "$mapwatch" "$title" "$@" >>"$out" 2>/dev/null; done
  echo "$(median 1 <"$out") $(median 2 <"$out")"
}
row() {  # name ours minimal
  local ot om mt mm
  read -r ot om <<<"$2"
  read -r mt mm <<<"$3"
  printf '| %s | %s ms | %s ms | %.2f | %.1f MiB | %.1f MiB | %.2f |\n' "$1" "$ot" "$mt" \
    "$(echo "$ot / $mt" | bc -l)" "$(echo "$om / 1024" | bc -l)" "$(echo "$mm / 1024" | bc -l)" \
    "$(echo "$om / $mm" | bc -l)"
}

caption="Tavoren预产期计算器1.0"
echo "Machine: $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1), $(free -g | awk '/Mem:/ { print $2 }') GiB; $(date -u +%Y-%m-%d)"
echo
echo "Start-up, median of $runs runs each (process start to window mapped on Xvfb; peak resident memory):"
echo
echo '| program | ours | minimal | ratio | ours | minimal | ratio |'
echo '| --- | --- | --- | --- | --- | --- | --- |'
"$root/build/linux/window/qt/yuchanqi" >/dev/null 2>&1 & sleep 2; kill $! 2>/dev/null || true  # warm caches
qt_ours=$(measure "$caption" "$root/build/linux/window/qt/yuchanqi")
qt_min=$(measure minimal "$root/build/linux/bench/minimal_qt")
row "Linux, Qt 6" "$qt_ours" "$qt_min"

export WINEPREFIX=$root/build/wineprefix-$windows
wine=("$wine_run" $windows)
"${wine[@]}" wineboot.exe >/dev/null 2>&1 || true
wineserver -p 2>/dev/null || true   # one server for every run
"$mapwatch" minimal "${wine[@]}" "$root/build/$windows/bench/minimal_win32.exe" >/dev/null 2>&1 || true
win_ours=$(measure "$caption" "${wine[@]}" "$root/build/$windows/window/win32/yuchanqi.exe")
win_min=$(measure minimal "${wine[@]}" "$root/build/$windows/bench/minimal_win32.exe")
if [ $windows = win32 ]; then
  row "Windows, Win32 under Wine (32-bit build, 32-bit Wine)" "$win_ours" "$win_min"
else
  row "Windows, Win32 under Wine (x86-64 build, 64-bit Wine: this host runs no 32-bit programs)" \
    "$win_ours" "$win_min"
fi
wineserver -k 2>/dev/null || true
echo
echo "Core (Google Benchmark, ns per operation):"
echo
echo '```'
"$root/build/linux/bench/core_benchmark" --benchmark_min_time=0.2 2>/dev/null |
  awk '/^(Calculate|Read|Write|Save)/ { print }'
echo '```'
