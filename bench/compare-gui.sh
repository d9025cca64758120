#!/usr/bin/env bash
# The desktop program's run against the command-line tool's on the same files: the 20,000
# small files of make-corpus.py (a quarter of them change), one configuration listing them all
# (confirmation off, backups on, "colour" -> "color"), a fresh copy of the tree for every run.
# The desktop program runs offscreen through textwright-gui-run, which opens the configuration,
# presses Go and ends when the results window is on the screen (program start included); the
# command-line tool runs `textwright-cli run CONFIG --quiet`.
#
#   bench/compare-gui.sh BUILD_DIR     (a bench build with the GUI: BUILD_DIR/bench/textwright-gui-run)
#
# Environment: CORPUS (default /tmp/textwright-corpus, built by make-corpus.py if missing),
# RUNS (default 5).
set -euo pipefail
build=$(cd "${1:-build-bench}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
cli="$build/cli/textwright-cli"
gui="$build/bench/textwright-gui-run"
corpus=${CORPUS:-/tmp/textwright-corpus}
runs=${RUNS:-5}
work="$corpus.gui"
results="$corpus.results"
[ -x "$cli" ] || { echo "compare-gui: no textwright-cli in $build/cli" >&2; exit 2; }
[ -x "$gui" ] || { echo "compare-gui: no textwright-gui-run in $build/bench (a build with the GUI)" >&2; exit 2; }
command -v hyperfine >/dev/null || { echo "compare-gui: hyperfine is missing" >&2; exit 2; }
python3 "$root/bench/make-corpus.py" "$corpus"
mkdir -p "$results"

rpl="$corpus.gui.rpl"
(cd "$corpus/small" && find . -type f | LC_ALL=C sort | sed "s|^\.|$work|") |
  "$root/bench/rpl-of.sh" colour color true >"$rpl"
export QT_QPA_PLATFORM=offscreen

hyperfine --runs "$runs" --style basic \
  --prepare "rm -rf $work; cp -a $corpus/small $work; sync" \
  --export-json "$results/gui.json" --export-markdown "$results/gui.md" \
  -n "textwright-cli run" "$cli run $rpl --quiet" \
  -n "desktop program (offscreen)" "$gui $rpl"

# One more run of the desktop program for its own account: the time from Go to the results.
rm -rf "$work"
cp -a "$corpus/small" "$work"
sync
"$gui" "$rpl" | tee "$results/gui-run.txt"
rm -rf "$work"

python3 - "$results/gui.json" <<'PY'
import json, statistics, sys
r = json.load(open(sys.argv[1]))["results"]
for x in r:
    print(f"| {x['command']} | {statistics.median(x['times']):.3f} s | "
          f"user {x['user']:.2f} s | system {x['system']:.2f} s |")
cli, gui = (statistics.median(x["times"]) for x in r)
print(f"ratio of the medians: {gui / cli:.2f} (goal: at most 1.2)")
PY
