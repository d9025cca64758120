#!/usr/bin/env bash
# Scan speed against find(1): a generated tree of 100,000 files in 5,000 folders (fixed seed,
# kept in /tmp between runs), scanned for *.htm* by `textwright-cli scan` and by
# `find DIR -name '*.htm*'`. Prints both medians and their ratio.
# Usage: bench/compare-scan.sh BENCH_BUILD_DIR
set -euo pipefail
build=${1:-build-bench}
cli="$build/cli/textwright-cli"
[ -x "$cli" ] || { echo "compare-scan: $cli not built" >&2; exit 1; }
tree=/tmp/textwright-bench-scan-tree
runs=${SCAN_RUNS:-15}

if [ ! -f "$tree/.complete-v1" ]; then
  rm -rf "$tree"
  echo "generating $tree (100,000 files in 5,000 folders)..."
  python3 - "$tree" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(6)
exts = [".htm", ".html", ".HTM", ".txt", ".css", ".js", ".png", ".shtml", ".xml", ".md"]
folders = []
for top in range(50):                      # 50 top folders, 99 below each: 5,000 folders
    t = os.path.join(root, "d%02d" % top)
    folders.append(t)
    for sub in range(99):
        folders.append(os.path.join(t, "s%03d-%d" % (sub, rng.randrange(1000))))
for f in folders:
    os.makedirs(f, exist_ok=True)
for i in range(100000):                    # 20 files a folder on average
    folder = folders[rng.randrange(len(folders))]
    name = "f%06d-%s%s" % (i, "".join(rng.choice("abcdefgh") for _ in range(rng.randrange(1, 12))),
                           rng.choice(exts))
    open(os.path.join(folder, name), "w").close()
PY
  touch "$tree/.complete-v1"
fi

ours="$cli scan $tree"
theirs="find $tree -name '*.htm*'"
# Both must find the same files: masks ignore case, so -iname here (find lists hidden entries
# too; the tree has none). The timing uses -name as the comparison is stated.
if [ "$($ours | sort | md5sum)" != "$(find "$tree" -iname '*.htm*' | sort | md5sum)" ]; then
  echo "compare-scan: textwright-cli scan and find disagree" >&2
  exit 1
fi
echo "files found: $($ours | wc -l)"

if command -v hyperfine >/dev/null; then
  json=$(mktemp)
  hyperfine --style basic --warmup 3 --runs "$runs" --export-json "$json" \
    -n find "$theirs >/dev/null" -n textwright-cli "$ours >/dev/null" >/dev/null
  python3 - "$json" <<'PY'
import json, sys
r = {x["command"]: x["median"] for x in json.load(open(sys.argv[1]))["results"]}
f, t = r["find"], r["textwright-cli"]
print("median find:            %.1f ms" % (f * 1000))
print("median textwright-cli:  %.1f ms" % (t * 1000))
print("ratio textwright/find:  %.2f (must stay below 2)" % (t / f))
PY
  rm -f "$json"
else
  median() {  # runs "$@" $runs times, prints the median in seconds
    local times=() i start end
    for ((i = 0; i < runs; i++)); do
      start=$(date +%s.%N); eval "$@" >/dev/null; end=$(date +%s.%N)
      times+=("$(echo "$end - $start" | bc)")
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"
  }
  eval "$theirs" >/dev/null; $ours >/dev/null  # warm the cache
  f=$(median "$theirs"); t=$(median "$ours")
  echo "median find:            $f s"
  echo "median textwright-cli:  $t s"
  echo "ratio textwright/find:  $(echo "scale=2; $t / $f" | bc) (must stay below 2)"
fi
