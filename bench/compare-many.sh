#!/usr/bin/env bash
# One run over very many small files: time and peak memory of textwright-cli run over
# 100,000, 300,000 and 1,000,000 files of 200-1,000 bytes (make-corpus.py --tree many, a
# quarter of them holding "colour"), each list given through one configuration file, backups
# off. For each count: one run that finds nothing (the memory of the file list alone; also
# warms the cache), then RUNS pairs of runs that change a quarter of the files ("colour" ->
# "kolour", then back, so the tree is the same after each pair and is kept between runs).
# Prints the medians, the peak resident memory and the memory per file.
#
#   bench/compare-many.sh BUILD_DIR
#
# Environment: MANY (default /tmp/textwright-bench-many; about 4.5 GB on disk, built once),
# COUNTS (default "100000 300000 1000000", each a multiple of 100,000), RUNS (default 1).
set -euo pipefail
# shellcheck source=bench/common.sh
. "$(dirname "$0")/common.sh"
need /usr/bin/time
dir=${MANY:-/tmp/textwright-bench-many}
counts=${COUNTS:-100000 300000 1000000}
runs=${RUNS:-1}
most=0
for n in $counts; do
  if [ $((n % 100000)) -ne 0 ] || [ "$n" -le 0 ]; then die "$n is not a multiple of 100000"; fi
  [ "$n" -gt "$most" ] && most=$n
done
python3 "$root/bench/make-corpus.py" "$dir" --tree many --files "$most"

# The configurations: the first N files in name order, one pair each way, and one that finds
# nothing.
rpls() {
  local n=$1
  [ -f "$dir/$n.none.rpl" ] && return
  local list="$dir/$n.list"
  find "$dir/many" -mindepth 1 -maxdepth 1 -type d | LC_ALL=C sort | head -n $((n / 100000)) |
    xargs -I{} find {} -type f | LC_ALL=C sort >"$list"
  [ "$(wc -l <"$list")" -eq "$n" ] || { echo "compare-many: the tree holds fewer than $n files" >&2; exit 1; }
  "$root/bench/rpl-of.sh" colour kolour false <"$list" >"$dir/$n.there.rpl"
  "$root/bench/rpl-of.sh" kolour colour false <"$list" >"$dir/$n.back.rpl"
  "$root/bench/rpl-of.sh" "no such words here" x false <"$list" >"$dir/$n.none.rpl"
  rm "$list"
}

# A pair of runs cut short leaves some files changed: put every file back first.
if [ -f "$dir/.changed" ]; then
  echo "compare-many: putting back the files a previous run left changed"
  rpls "$most"
  "$cli" run "$dir/$most.back.rpl" --quiet >/dev/null || true
  rm "$dir/.changed"
fi

measure() {  # measure RPL: one line "wall user system peak-KiB"
  /usr/bin/time -f '%e %U %S %M' -o "$dir/.time" "$cli" run "$1" --quiet >/dev/null ||
    { echo "compare-many: the run of $1 failed" >&2; exit 1; }
  cat "$dir/.time"
}

table="$dir/results.md"
{
  echo "| files | run | wall s (median) | user s | system s | peak memory | bytes per file |"
  echo "|---:|---|---:|---:|---:|---:|---:|"
} >"$table"
for n in $counts; do
  rpls "$n"
  rows=()
  read -r wall user sys kb < <(measure "$dir/$n.none.rpl")
  rows+=("none $wall $user $sys $kb")
  for ((i = 0; i < runs; i++)); do
    touch "$dir/.changed"
    rows+=("change $(measure "$dir/$n.there.rpl")")
    rows+=("change $(measure "$dir/$n.back.rpl")")
    rm "$dir/.changed"
  done
  printf '%s\n' "${rows[@]}" | python3 -c '
import statistics, sys
n = int(sys.argv[1])
groups = {}
for line in sys.stdin:
    kind, *v = line.split()
    groups.setdefault(kind, []).append([float(x) for x in v])
names = {"none": "nothing found", "change": "a quarter changed"}
for kind, rows in groups.items():
    wall, user, sys_, kb = (statistics.median(c) for c in zip(*rows))
    print(f"| {n:,} | {names[kind]} | {wall:.2f} | {user:.2f} | {sys_:.2f} | "
          f"{kb / 1024:.0f} MiB | {kb * 1024 / n:.0f} |")
' "$n" | tee -a "$table"
done
echo "Table written to $table"
