#!/usr/bin/env bash
# Every file changed: 3,000 files of 5-15 KB, each holding "colour" (make-corpus.py --tree
# every, fixed seed). On a fresh copy for every run, hyperfine times replacing "colour" by
# "color" in all of them with textwright-cli replace (with and without backups) against
# sed -i and sed -i.bak, and cp -a of the tree for the cost of writing every byte; then the
# median of each and its ratio to sed -i.
#
#   bench/compare-every.sh BUILD_DIR
#
# Environment: CORPUS (default /tmp/textwright-corpus), RUNS (default 5), FILES (default 3000).
set -euo pipefail
build=$(cd "${1:-build-bench}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
cli="$build/cli/textwright-cli"
corpus=${CORPUS:-/tmp/textwright-corpus}
runs=${RUNS:-5}
files=${FILES:-3000}
work="$corpus.every"
results="$corpus.results"
[ -x "$cli" ] || { echo "compare-every: no textwright-cli in $build/cli" >&2; exit 2; }
command -v hyperfine >/dev/null || { echo "compare-every: hyperfine is missing" >&2; exit 2; }
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

python3 - "$results/every.json" <<'PY'
import json, statistics, sys
r = json.load(open(sys.argv[1]))["results"]
med = {x["command"]: statistics.median(x["times"]) for x in r}
sed = med["sed -i"]
for name, t in med.items():
    print(f"| {name} | {t:.3f} s | {t / sed:.2f} x sed -i |")
print("goal: textwright-cli at most 0.67 x sed -i")
PY
