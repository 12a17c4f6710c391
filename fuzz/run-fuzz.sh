#!/usr/bin/env bash
# Runs one fuzz target for a bounded time from the kept seeds, in a scratch
# corpus, and reports how many inputs it tried. A finding fails the test and
# leaves the reproducer beside the build for the unit tests.
set -euo pipefail
target=$1 seeds=$2 seconds=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
name=$(basename "$target")
status=0
"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$(dirname "$target")/$name-" "$work" "$seeds" >"$work/log" 2>&1 || status=$?
grep -E 'stat::number_of_executed_units|stat::peak_rss_mb|violated|ERROR|SUMMARY' "$work/log" || true
if [ $status -ne 0 ]; then tail -40 "$work/log"; fi
exit $status
