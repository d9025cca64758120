#!/usr/bin/env bash
# Whole runs against the usual tools: on a fresh copy of the corpus each time, replace
# "colour" by "color" (literally, and through the pattern col[aeiou]ur) in every file, with
# textwright-cli replace, sed -i, perl -pi and sd, and copy the tree with cp -a for the cost
# of reading and writing every byte. Then the peak memory of each on the 64 MiB files.
#
#   bench/compare-replace.sh BUILD_DIR     (a build with textwright-cli in BUILD_DIR/cli)
#
# Environment: CORPUS (default /tmp/textwright-corpus, built by make-corpus.py if missing),
# RUNS (default 3), SMALL_FILES (default 20000), ONLY (small or big: one corpus only).
set -euo pipefail
# shellcheck source=bench/common.sh
. "$(dirname "$0")/common.sh"
need hyperfine sd perl sed
runs=${RUNS:-3}
work="$corpus.work"
python3 "$root/bench/make-corpus.py" "$corpus" --small-files "${SMALL_FILES:-20000}"
mkdir -p "$results"

each() {  # each TREE COMMAND...: run COMMAND on every file of TREE, as few times as possible
  local tree=$1
  shift
  find "$tree" -type f -exec "$@" {} +
}
export -f each

bench_corpus() {
  local name=$1
  local tree="$work/$name"
  local -a cmds=(
    "cp -a $corpus/$name $work/copy"
    "each $tree $cli replace --quiet colour color"
    "each $tree $cli replace --quiet --no-backup colour color"
    "each $tree $cli replace --quiet --no-backup --regex col[aeiou]ur color"
    "each $tree sed -i.bak s/colour/color/g"
    "each $tree sed -i s/colour/color/g"
    "each $tree sed -i s/col[aeiou]ur/color/g"
    "each $tree perl -pi.bak -e s/colour/color/g"
    "each $tree perl -pi -e s/colour/color/g"
    "each $tree sd colour color"
    "each $tree sd col[aeiou]ur color"
  )
  if [ "$name" = big ]; then
    # The big files also by letter case and by a pattern without a literal prefix.
    cmds+=(
      "each $tree $cli replace --quiet --no-backup --case-sensitive colour color"
      "each $tree sd -s colour color"
      "each $tree sd '(?i)colour' color"
      "each $tree $cli replace --quiet --no-backup --regex '\d{3}-\d{4}' 555-0000"
      "each $tree sd '\d{3}-\d{4}' 555-0000"
    )
  fi
  hyperfine --shell=bash --runs "$runs" --style basic \
    --prepare "rm -rf $work; mkdir -p $work; cp -a $corpus/$name $tree; sync" \
    --export-markdown "$results/$name.md" --export-json "$results/$name.json" "${cmds[@]}"
}

mem() {  # mem LABEL COMMAND...: peak resident memory of one run on a fresh copy of big/
  local label=$1
  shift
  rm -rf "$work"
  mkdir -p "$work"
  cp -a "$corpus/big" "$work/big"
  sync
  local kb
  kb=$(/usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1)
  printf '| %s | %d MiB |\n' "$label" $((kb / 1024))
}

[ "${ONLY:-}" = big ] || bench_corpus small
[ "${ONLY:-}" = small ] || bench_corpus big

{
  echo "| command (4 x 64 MiB, one file at a time) | peak resident memory |"
  echo "|---|---:|"
  for f in "$corpus"/big/*; do
    mem "textwright-cli replace (literal) $(basename "$f")" "$cli" replace --quiet colour color "$work/big/$(basename "$f")"
    break
  done
  mem "textwright-cli replace, all four files" bash -c "$cli replace --quiet colour color $work/big/*"
  mem "textwright-cli replace --regex, all four" bash -c "$cli replace --quiet --regex 'col[aeiou]ur' color $work/big/*"
  mem "sed -i, all four" bash -c "sed -i s/colour/color/g $work/big/*"
  mem "perl -pi, all four" bash -c "perl -pi -e s/colour/color/g $work/big/*"
  mem "sd, all four" bash -c "sd colour color $work/big/*"
} | tee "$results/memory.md"
rm -rf "$work"
echo "Tables written to $results/"
