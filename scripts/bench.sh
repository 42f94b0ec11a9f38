#!/usr/bin/env bash
# Runs every benchmark binary of the build, with medians over repetitions.
set -eu
build=${1:-build}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
status=0
for b in "$build"/bench/*; do
  [ -x "$b" ] && [ -f "$b" ] || continue
  echo "== $(basename "$b")"
  bash scripts/with-pulse.sh "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_counters_tabular=true || status=1
done
exit $status
