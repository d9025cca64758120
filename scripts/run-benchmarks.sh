#!/usr/bin/env bash
# Runs every engine benchmark of a bench build, then the whole-run comparisons if present.
# With BENCH set, only those whose names contain it (BENCH=compare-many, BENCH=bench_rtf).
set -euo pipefail
build=${1:-build-bench}
only=${BENCH:-}
shopt -s nullglob
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  [[ "$(basename "$b")" == *"$only"* ]] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
done
root=$(cd "$(dirname "$0")/.." && pwd)
for s in "$root"/bench/compare-*.sh; do
  [[ "$(basename "$s")" == *"$only"* ]] || continue
  echo "== $(basename "$s")"
  "$s" "$build"
done
