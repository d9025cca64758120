#!/usr/bin/env bash
# The desktop program's preview against the command-line tool's dry run over the same files:
# the 20,000 small files of make-corpus.py (a quarter of them change), one configuration
# listing them all (confirmation off, "colour" -> "color"). The preview runs offscreen through
# `textwright-gui-run --preview`, which opens the configuration, opens the preview once the
# window is idle and ends when the preview has searched every file; the command-line tool runs
# `textwright-cli run CONFIG --dry-run` with its diff going to /dev/null. Nothing is written by
# either, so both read the same tree (warm in the page cache after the first turn). The two
# take turns in a turning order; each figure is the whole process (its start included), with
# its peak resident memory; the desktop program also tells the time from opening the preview
# until its search had ended.
#
#   bench/compare-preview.sh BUILD_DIR   (a bench build with the GUI)
#
# Environment: CORPUS (default /tmp/textwright-corpus, built by make-corpus.py if missing),
# RUNS (default 5).
set -euo pipefail
# shellcheck source=bench/common.sh
. "$(dirname "$0")/common.sh"
need /usr/bin/time
gui="$build/bench/textwright-gui-run"
[ -x "$gui" ] || die "no textwright-gui-run in $build/bench (a build with the GUI)"
runs=${RUNS:-5}
python3 "$root/bench/make-corpus.py" "$corpus"
mkdir -p "$results"

rpl="$corpus.preview.rpl"
(cd "$corpus/small" && find . -type f | LC_ALL=C sort | sed "s|^\.|$corpus/small|") |
  "$root/bench/rpl-of.sh" colour color false >"$rpl"
export QT_QPA_PLATFORM=offscreen

names=("textwright-cli run --dry-run" "desktop program, preview")
commands=("$cli run $rpl --dry-run" "$gui --preview $rpl")
times="$results/preview.times"
: >"$times"
: >"$times.search"
for ((i = 1; i <= runs; i++)); do
  for ((j = 0; j < ${#commands[@]}; j++)); do
    k=$(((i - 1 + j) % ${#commands[@]}))
    # The dry run's diff goes to /dev/null; the preview tool's few lines are kept.
    out=/dev/null
    [ "$k" -eq 0 ] || out="$results/preview-$k.txt"
    # shellcheck disable=SC2086
    /usr/bin/time -f "$k %e %U %S %M" -a -o "$times" ${commands[$k]} >"$out" 2>/dev/null || {
      status=$?
      # The dry run ends with 0; the preview tool with 0 too. Anything else is a failure.
      echo "compare-preview: '${names[$k]}' failed ($status)" >&2
      exit 1
    }
    [ "$k" -eq 0 ] || sed -n "s/^preview complete after \([0-9]*\) ms.*/$k \1/p" \
      "$results/preview-$k.txt" >>"$times.search"
  done
  echo "run $i of $runs done" >&2
done
echo "desktop program:"
grep -v '^after' "$results/preview-1.txt"
echo "textwright-cli: $($cli run "$rpl" --dry-run 2>/dev/null | grep -c '^+++ ') files in the diff"

printf '%s\n' "${names[@]}" | python3 -c '
import statistics, sys
names = [n.strip() for n in sys.stdin]
rows = {}
for line in open(sys.argv[1]):
    k, *v = line.split()
    rows.setdefault(int(k), []).append([float(x) for x in v])
med = {k: [statistics.median(c) for c in zip(*v)] for k, v in rows.items()}
search = [float(l.split()[1]) / 1000 for l in open(sys.argv[1] + ".search")]
print("| command | wall s (median) | user s | system s | peak memory MB | x textwright-cli |")
print("|---|---:|---:|---:|---:|---:|")
for k, (wall, user, sys_, rss) in sorted(med.items()):
    print(f"| {names[k]} | {wall:.2f} | {user:.2f} | {sys_:.2f} | {rss / 1024:.0f} | {wall / med[0][0]:.2f} |")
if search:
    print(f"preview opened to search ended: {statistics.median(search):.2f} s (median)")
print("goal: the preview at most 1.5 x textwright-cli run --dry-run, under 300 MB")
' "$times" | tee "$results/preview.md"
