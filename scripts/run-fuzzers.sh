#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for the given number of seconds each.
# A finding stops the script with a non-zero status; the crashing input is kept in fuzz/findings/.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$root/fuzz/findings"
shopt -s nullglob
targets=("$build"/fuzz/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets built"
  exit 0
fi
for target in "${targets[@]}"; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  name=${name#fuzz_}
  work=$(mktemp -d)
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  dict=()
  [ -f "$root/fuzz/$name.dict" ] && dict=("-dict=$root/fuzz/$name.dict")
  echo "== fuzz_$name for ${seconds}s"
  "$target" "$work" "${seeds[@]}" "${dict[@]}" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$root/fuzz/findings/$name-" -rss_limit_mb=4096 2>"$work.log" || {
      tail -n 60 "$work.log"
      echo "fuzz_$name: FINDING (input kept in fuzz/findings/)"
      exit 1
    }
  grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$work.log" | tail -n 2
  rm -rf "$work" "$work.log"
done
echo "all fuzz targets ran ${seconds}s without a finding"
