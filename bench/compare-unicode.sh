#!/usr/bin/env bash
# Unicode letters off and on, in whole runs over the four big files of make-corpus.py with
# some accented letters ("centré", "grisé"): ignoring case, whole words, a pattern and a
# non-ASCII find text, each with and without --unicode, searched (`find --count`, the files
# in the page cache) and replaced (without backups, each run on fresh copies: `cp -a` and
# `sync` before it, outside the timing). One hyperfine invocation times every command; the
# two runs of each pair must count and leave the same.
#
#   bench/compare-unicode.sh BUILD_DIR
#
# Environment: CORPUS (default /tmp/textwright-corpus), RUNS (default 7).
set -euo pipefail
# shellcheck source=bench/common.sh
. "$(dirname "$0")/common.sh"
need hyperfine
work="$corpus.unicode"
python3 "$root/bench/make-corpus.py" "$corpus"
mkdir -p "$results" "$work/src"
for file in "$corpus"/big/*.txt; do
  base=$(basename "$file")
  [ -e "$work/src/$base" ] || sed 's/centre/centré/g; s/grey/grisé/g' "$file" >"$work/src/$base"
done

fresh="rm -rf $work/run && cp -a $work/src $work/run && sync"
cases=(
  "ignoring case|colour color"
  "whole words|--whole-words colour color"
  "pattern|--regex col[aeiou]ur color"
  "non-ASCII find|centré center"
)
args=()
for c in "${cases[@]}"; do
  label=${c%%|*}
  words=${c#*|}
  for mode in "" "--unicode"; do
    args+=(-n "find, $label${mode:+, $mode}" --prepare true
      "$cli find --count $mode ${words% *} $work/src/big0.txt $work/src/big1.txt $work/src/big2.txt $work/src/big3.txt")
  done
  for mode in "" "--unicode"; do
    args+=(-n "replace, $label${mode:+, $mode}" --prepare "$fresh"
      "$cli replace --quiet --no-backup $mode $words $work/run/big0.txt $work/run/big1.txt $work/run/big2.txt $work/run/big3.txt")
  done
done
uptime
hyperfine --warmup 1 --runs "${RUNS:-7}" --export-json "$results/unicode.json" "${args[@]}"
uptime
# The medians, each --unicode run against the run without it just before it.
python3 - "$results/unicode.json" <<'PY'
import json, statistics, sys
results = json.load(open(sys.argv[1]))["results"]
print("| command | median ms | range ms | x off | user ms, mean | system ms, mean |")
print("|---|---:|---:|---:|---:|---:|")
base = None
for r in results:
    median = statistics.median(r["times"]) * 1000
    base = base if r["command"].endswith("--unicode") else median
    low, high = min(r["times"]) * 1000, max(r["times"]) * 1000
    print(f"| {r['command']} | {median:.0f} | {low:.0f}-{high:.0f} | {median / base:.2f} |"
          f" {r['user'] * 1000:.0f} | {r['system'] * 1000:.0f} |")
PY

# Each pair finds and changes the same occurrences here (no letter in these find texts has
# other forms in this text, and no word touches a non-ASCII punctuation mark).
for c in "${cases[@]}"; do
  words=${c#*|}
  sums=()
  for mode in "" "--unicode"; do
    eval "$fresh"
    # shellcheck disable=SC2086 # the words are split on purpose
    counts=$("$cli" find --count $mode ${words% *} "$work"/src/*.txt)
    # shellcheck disable=SC2086
    "$cli" replace --quiet --no-backup $mode $words "$work"/run/*.txt
    sums+=("$counts $(cat "$work"/run/*.txt | md5sum)")
  done
  [ "${sums[0]}" = "${sums[1]}" ] || die "${c%%|*}: --unicode found or changed other bytes"
done
echo "$name: each pair left the same files"
