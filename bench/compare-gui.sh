#!/usr/bin/env bash
# The desktop program's run against the command-line tool's on the same files: the 20,000
# small files of make-corpus.py (a quarter of them change), one configuration listing them all
# (confirmation off, backups on, "colour" -> "color"), a fresh copy of the tree for every run.
# The desktop program runs offscreen through textwright-gui-run, which opens the configuration,
# presses Go once the window is idle and ends when the results window is on the screen; the
# command-line tool runs `textwright-cli run CONFIG --quiet`. The two take turns, run by run
# and in a turning order, so that the load of a shared machine falls on both alike. Each
# figure is the whole process, start to end (the desktop program's start and its reading of
# the configuration included); the desktop program also tells the time from Go to its
# results. The medians are the figures to quote; the fastest runs show the fixed costs with
# the least of the disk's noise.
#
#   bench/compare-gui.sh BUILD_DIR     (a bench build with the GUI: BUILD_DIR/bench/textwright-gui-run)
#
# Environment: CORPUS (default /tmp/textwright-corpus, built by make-corpus.py if missing),
# RUNS (default 5), GUI_BEFORE (another textwright-gui-run, an earlier version's, timed in the
# same turns).
set -euo pipefail
# shellcheck source=bench/common.sh
. "$(dirname "$0")/common.sh"
need /usr/bin/time
gui="$build/bench/textwright-gui-run"
[ -x "$gui" ] || die "no textwright-gui-run in $build/bench (a build with the GUI)"
runs=${RUNS:-5}
work="$corpus.gui"
python3 "$root/bench/make-corpus.py" "$corpus"
mkdir -p "$results"

rpl="$corpus.gui.rpl"
(cd "$corpus/small" && find . -type f | LC_ALL=C sort | sed "s|^\.|$work|") |
  "$root/bench/rpl-of.sh" colour color true >"$rpl"
export QT_QPA_PLATFORM=offscreen

names=("textwright-cli run" "desktop program")
commands=("$cli run $rpl --quiet" "$gui $rpl")
if [ -n "${GUI_BEFORE:-}" ]; then
  names+=("desktop program, $(basename "$GUI_BEFORE")")
  commands+=("$GUI_BEFORE $rpl")
fi
times="$results/gui.times"
: >"$times"
: >"$times.go"
for ((i = 1; i <= runs; i++)); do
  # The order turns round from run to run, so that no program always comes first or follows
  # the same one (the disk's state after the previous run weighs on the next).
  for ((j = 0; j < ${#commands[@]}; j++)); do
    k=$(((i - 1 + j) % ${#commands[@]}))
    rm -rf "$work"
    cp -a "$corpus/small" "$work"
    sync
    # shellcheck disable=SC2086
    /usr/bin/time -f "$k %e %U %S" -a -o "$times" ${commands[$k]} >"$results/gui-run-$k.txt" 2>/dev/null ||
      { echo "compare-gui: '${names[$k]}' failed" >&2; exit 1; }
    # The desktop program's own account: milliseconds from Go to the results on the screen.
    [ "$k" -eq 0 ] || sed -n "s/.*results shown after \([0-9]*\) ms.*/$k \1/p" \
      "$results/gui-run-$k.txt" >>"$times.go"
  done
  echo "run $i of $runs done" >&2
done
rm -rf "$work"
for k in "${!commands[@]}"; do
  [ "$k" -eq 0 ] || { echo "${names[$k]}:"; cat "$results/gui-run-$k.txt"; }
done

printf '%s\n' "${names[@]}" | python3 -c '
import statistics, sys
names = [n.strip() for n in sys.stdin]
rows = {}
for line in open(sys.argv[1]):
    k, *v = line.split()
    rows.setdefault(int(k), []).append([float(x) for x in v])
med = {k: [statistics.median(c) for c in zip(*v)] for k, v in rows.items()}
go = {}
for line in open(sys.argv[1] + ".go"):
    k, ms = line.split()
    go.setdefault(int(k), []).append(float(ms) / 1000)
print("| command | wall s (median) | user s | system s | x textwright-cli | Go to results s | x textwright-cli | fastest wall s | x textwright-cli |")
print("|---|---:|---:|---:|---:|---:|---:|---:|---:|")
fastest = {k: min(r[0] for r in v) for k, v in rows.items()}
for k, (wall, user, sys_) in sorted(med.items()):
    run = statistics.median(go[k]) if k in go else None
    inner = f"{run:.2f} | {run / med[0][0]:.2f}" if run else "— | —"
    best = f"{fastest[k]:.2f} | {fastest[k] / fastest[0]:.2f}"
    print(f"| {names[k]} | {wall:.2f} | {user:.2f} | {sys_:.2f} | {wall / med[0][0]:.2f} | {inner} | {best} |")
print("goal: the desktop program at most 1.2 x textwright-cli")
' "$times" | tee "$results/gui.md"
