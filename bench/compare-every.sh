#!/usr/bin/env bash
# Every file changed: 3,000 files of 5-15 KB, each holding "colour" (make-corpus.py --tree
# every, fixed seed). On a fresh copy for every run, hyperfine times replacing "colour" by
# "color" in all of them with textwright-cli replace (with and without backups) against
# sed -i and sed -i.bak, and cp -a of the tree for the cost of writing every byte; then the
# median of each and its ratio to sed -i.
#
#   bench/compare-every.sh BUILD_DIR
#
# Environment: CORPUS (default /tmp/textwright-corpus), RUNS (default 5), FILES (default 3000),
# TURNS (default 0): with TURNS=N, also N rounds in which sed -i and textwright-cli (with and
# without backups) take turns, each on a fresh copy, so that the load of a shared machine and
# its disk falls on all alike; their medians and ranges follow the table.
set -euo pipefail
# shellcheck source=bench/common.sh
. "$(dirname "$0")/common.sh"
need hyperfine sed
runs=${RUNS:-5}
files=${FILES:-3000}
work="$corpus.every"
python3 "$root/bench/make-corpus.py" "$corpus" --tree every --files "$files"
mkdir -p "$results"

tree="$work/every"
each="find $tree -type f -exec"
hyperfine --shell=bash --runs "$runs" --style basic \
  --prepare "rm -rf $work; mkdir -p $work; cp -a $corpus/every $tree; sync" \
  --export-json "$results/every.json" --export-markdown "$results/every.md" \
  -n "sed -i" "$each sed -i s/colour/color/g {} +" \
  -n "sed -i.bak" "$each sed -i.bak s/colour/color/g {} +" \
  -n "textwright-cli replace (backups)" "$each $cli replace --quiet colour color {} +" \
  -n "textwright-cli replace --no-backup" "$each $cli replace --quiet --no-backup colour color {} +" \
  -n "cp -a" "cp -a $corpus/every $work/copy"
# Every file must have changed.
rm -rf "$work"
mkdir -p "$work"
cp -a "$corpus/every" "$tree"
find "$tree" -type f -exec "$cli" replace --quiet --no-backup colour color {} +
left=$(grep -rlc colour "$tree" | wc -l || true)
rm -rf "$work"
[ "$left" -eq 0 ] || { echo "compare-every: $left files still hold colour" >&2; exit 1; }

turns=${TURNS:-0}
if [ "$turns" -gt 0 ]; then
  need /usr/bin/time
  names=("sed -i" "textwright-cli replace (backups)" "textwright-cli replace --no-backup")
  cmds=("sed -i s/colour/color/g" "$cli replace --quiet colour color"
    "$cli replace --quiet --no-backup colour color")
  : >"$results/every.turns"
  for _ in $(seq "$turns"); do
    for i in "${!names[@]}"; do
      rm -rf "$work"
      mkdir -p "$work"
      cp -a "$corpus/every" "$tree"
      sync
      # shellcheck disable=SC2086 # each command is words on purpose
      /usr/bin/time -f "$i %e" -a -o "$results/every.turns" find "$tree" -type f -exec ${cmds[$i]} {} +
    done
  done
  rm -rf "$work"
fi

python3 - "$results/every.json" <<'PY'
import json, statistics, sys
r = json.load(open(sys.argv[1]))["results"]
med = {x["command"]: statistics.median(x["times"]) for x in r}
sed = med["sed -i"]
for name, t in med.items():
    print(f"| {name} | {t:.3f} s | {t / sed:.2f} x sed -i |")
print("goal: textwright-cli at most 0.67 x sed -i")
PY
if [ "$turns" -gt 0 ]; then
  python3 - "$results/every.turns" "${names[@]}" <<'PY'
import statistics, sys
times = {}
for line in open(sys.argv[1]):
    i, t = line.split()
    times.setdefault(int(i), []).append(float(t))
names = sys.argv[2:]
sed = statistics.median(times[0])
print(f"taking turns, {len(times[0])} rounds:")
for i, name in enumerate(names):
    t = times[i]
    m = statistics.median(t)
    print(f"| {name} | {m:.2f} s ({min(t):.2f}-{max(t):.2f}) | {m / sed:.2f} x sed -i |")
PY
fi
