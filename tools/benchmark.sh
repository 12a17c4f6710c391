#!/usr/bin/env bash
# Benchmarks, with one command: start-up time (process start to window mapped
# on Xvfb) and peak resident memory of the Linux program against the same
# window in the plainest Qt code, in Chinese too, and against a one-label Qt
# program, and of the Windows program under Wine against the same window in
# the plainest code with the same manifest and against a one-label Win32
# program; then the core's Google Benchmark. Prints Markdown. Each round
# starts every program once, in turn; a ratio is the median of the rounds'
# ratios, so that ours and its floor are compared under the same load.
#   bash tools/benchmark.sh [runs]
# YUCHANQI_XVFB_FROM picks the first X display tried (130).
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
  cmake --preset linux && cmake --build --preset linux --target yuchanqi same_window_qt minimal_qt mapwatch core_benchmark
  cmake --preset $windows &&
    cmake --build --preset $windows --target yuchanqi same_window_win32 minimal_win32
} >/dev/null

work=$(mktemp -d)
start_xvfb "${YUCHANQI_XVFB_FROM:-130}" 'rm -rf "$work"'
cd "$work"

mapwatch=$root/build/linux/bench/mapwatch
# median of column $1 of stdin
median() { sort -g -k"$1","$1" | awk -v c="$1" '{ v[NR] = $c } END { print v[int((NR + 1) / 2)] }'; }
# Runs each "title program..." (one argument each, split at the first blank
# into the title and the program) once per round, $runs rounds; program i's
# samples ("<ms> <KiB>" a line) go to $work/samples.i.
measure() {
  local i
  for ((i = 1; i <= $#; i++)); do : >"$work/samples.$i"; done
  for _ in $(seq "$runs"); do
    i=1
    for run in "$@"; do
      # shellcheck disable=SC2086
      "$mapwatch" "${run%%|*}" ${run#*|} >>"$work/samples.$i" 2>/dev/null
      i=$((i + 1))
    done
  done
}
row() {  # name, samples of ours, samples of the floor
  local ot om ft fm rt rmem
  ot=$(median 1 <"$2") om=$(median 2 <"$2") ft=$(median 1 <"$3") fm=$(median 2 <"$3")
  rt=$(paste -d' ' "$2" "$3" | awk '{ print $1 / $3 }' | median 1)
  rmem=$(paste -d' ' "$2" "$3" | awk '{ print $2 / $4 }' | median 1)
  printf '| %s | %s ms | %s ms | %.2f | %.1f MiB | %.1f MiB | %.2f |\n' "$1" "$ot" "$ft" "$rt" \
    "$(echo "$om / 1024" | bc -l)" "$(echo "$fm / 1024" | bc -l)" "$rmem"
}

caption="Tavoren预产期计算器1.0"
echo "Machine: $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1), $(free -g | awk '/Mem:/ { print $2 }') GiB; $(date -u +%Y-%m-%d)"
echo
echo "Start-up, median of $runs rounds (process start to window mapped on Xvfb; peak resident memory; each ratio the median of the rounds' ratios):"
echo
echo '| program | ours | floor | ratio | ours | floor | ratio |'
echo '| --- | --- | --- | --- | --- | --- | --- |'
"$root/build/linux/window/qt/yuchanqi" >/dev/null 2>&1 & sleep 2; kill $! 2>/dev/null || true  # warm caches
measure "$caption|$root/build/linux/window/qt/yuchanqi" "$caption|$root/build/linux/bench/same_window_qt" \
  "minimal|$root/build/linux/bench/minimal_qt"
row "Linux, Qt 6, against the same window" "$work/samples.1" "$work/samples.2"
row "Linux, Qt 6, against one label" "$work/samples.1" "$work/samples.3"

export WINEPREFIX=$root/build/wineprefix-$windows
"$wine_run" $windows wineboot.exe >/dev/null 2>&1 || true
wineserver -p 2>/dev/null || true   # one server for every run
bin=$root/build/$windows
"$mapwatch" minimal "$wine_run" $windows "$bin/bench/minimal_win32.exe" >/dev/null 2>&1 || true
measure "$caption|$wine_run $windows $bin/window/win32/yuchanqi.exe" \
  "$caption|$wine_run $windows $bin/bench/same_window_win32.exe" \
  "minimal|$wine_run $windows $bin/bench/minimal_win32.exe"
if [ $windows = win32 ]; then
  how="32-bit build, 32-bit Wine"
else
  how="x86-64 build, 64-bit Wine: this host runs no 32-bit programs"
fi
row "Windows under Wine ($how), against the same window" "$work/samples.1" "$work/samples.2"
row "Windows under Wine ($how), against one label" "$work/samples.1" "$work/samples.3"
echo
echo "Wine: $("$wine_run" $windows --version 2>/dev/null || echo unknown)"
wineserver -k 2>/dev/null || true
echo
echo "Core (Google Benchmark, ns per operation):"
echo
echo '```'
"$root/build/linux/bench/core_benchmark" --benchmark_min_time=0.2 2>/dev/null |
  awk '/^(Calculate|Read|Write|Save)/ { print }'
echo '```'
