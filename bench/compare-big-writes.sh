#!/usr/bin/env bash
# The big files (make-corpus.py's four files of 64 MiB) written back in several ways, the
# commands taking turns: in every round each command runs once on a fresh copy of the files
# (`cp -a` and `sync` before it, outside the timing) and is timed with the `sync` after it,
# so that every tool pays for getting its bytes to disk; the order of the commands turns by
# one from round to round, so the load of a shared machine falls on all alike. Then the
# median, range and ratio to `cp -a` of each command, and its user and system time.
#
#   bench/compare-big-writes.sh BUILD_DIR [NAME=COMMAND ...]
#
# Without commands: `cp -a`, sd, and textwright-cli with and without backups, ignoring case
# and with the pattern col[aeiou]ur. In a COMMAND, FILES stands for the four copied files.
# Every textwright-cli run is checked: no file may still hold "colour".
# Environment: CORPUS (default /tmp/textwright-corpus), ROUNDS (default 5), WAYS (the path of
# write-ways, built from bench/write_ways.cpp in BUILD_DIR/bench: adds its variants of the
# write path), PRIORITY (1: each command and its sync run in a session of their own whose
# scheduling group has nice -20, as root; on a machine shared with other users' builds this
# takes their share of the processors out of the figures, for every command alike).
set -euo pipefail
# shellcheck source=bench/common.sh
. "$(dirname "$0")/common.sh"
need sd /usr/bin/time
rounds=${ROUNDS:-5}
work="$corpus.writes"
python3 "$root/bench/make-corpus.py" "$corpus"
mkdir -p "$results"
shift || true

names=()
cmds=()
add() {
  names+=("$1")
  cmds+=("$2")
}
if [ $# -gt 0 ]; then
  for command in "$@"; do add "${command%%=*}" "${command#*=}"; done
else
  add "cp -a" "cp -a $corpus/big $work/copy"
  add "sd" "sd colour color FILES"
  add "textwright-cli (backups)" "$cli replace --quiet colour color FILES"
  add "textwright-cli --no-backup" "$cli replace --quiet --no-backup colour color FILES"
  add "textwright-cli --no-backup --regex" \
    "$cli replace --quiet --no-backup --regex col[aeiou]ur color FILES"
  if [ -n "${WAYS:-}" ]; then
    for way in "" "--piece 16" "--piece 0.25" "--fallocate" "--mmap-out" "--mmap-in" \
      "--drop-read" "--start-early" "--flush syncfs" "--free-old later" "--free-old thread" \
      "--flush none"; do
      add "write-ways ${way:-(1 MiB pieces, fsync)}" "$WAYS $way FILES"
    done
  fi
fi

# The scheduler groups processes by session and weighs groups, not processes, against each
# other: a nice value counts only within its group, so the command gets a group of its own.
first=()
if [ "${PRIORITY:-0}" = 1 ]; then
  need setsid
  first=(setsid -w bash -c 'echo -20 >/proc/self/autogroup && exec "$@"' prioritised)
fi

times="$results/big-writes.times"
: >"$times"
count=${#names[@]}
for round in $(seq 0 $((rounds - 1))); do
  for k in $(seq 0 $((count - 1))); do
    i=$(((k + round) % count))
    rm -rf "$work"
    mkdir -p "$work"
    cp -a "$corpus/big" "$work/big"
    sync
    cmd=${cmds[$i]//FILES/$work/big/*}
    start=$(date +%s.%N)
    "${first[@]}" /usr/bin/time -f "%U %S" -o "$work/cpu" bash -c "$cmd >/dev/null; sync"
    end=$(date +%s.%N)
    echo "$i $(echo "$end - $start" | bc) $(cat "$work/cpu")" >>"$times"
    if [[ $cmd == "$cli"* ]] && grep -q colour "$work"/big/big*.txt; then
      die "${names[$i]} left \"colour\" in a file"
    fi
  done
done
rm -rf "$work"

uptime
python3 - "$times" "${names[@]}" <<'PY'
import statistics, sys
times = {}
cpu = {}
for line in open(sys.argv[1]):
    i, t, user, system = line.split()
    times.setdefault(int(i), []).append(float(t))
    cpu.setdefault(int(i), []).append((float(user), float(system)))
names = sys.argv[2:]
base = statistics.median(times[0])
print(f"{len(times[0])} rounds, medians (range), ratio to {names[0]}; user and system time:")
print("| command | median s | range s | ratio | user s | system s |")
print("|---|---:|---:|---:|---:|---:|")
for i, name in enumerate(names):
    t = times[i]
    m = statistics.median(t)
    user = statistics.median(u for u, _ in cpu[i])
    system = statistics.median(s for _, s in cpu[i])
    print(f"| {name} | {m:.3f} | {min(t):.2f}-{max(t):.2f} | {m / base:.2f} | {user:.2f} | {system:.2f} |")
PY
