#!/usr/bin/env bash
# A whole run over UTF-16 files against the same run over the same text in UTF-8: the four
# big files of make-corpus.py, with some accented letters ("centré", "grisé"), as UTF-8 and
# as UTF-16 LE with its mark (iconv), "colour" replaced by "color" ignoring case, without
# backups. One hyperfine invocation times every command, each run on fresh copies of the
# files (`cp -a` and `sync` before it, outside the timing); the UTF-16 files written are
# checked against iconv's encoding of the UTF-8 ones.
#
#   bench/compare-utf16.sh BUILD_DIR [OTHER_CLI]
#
# OTHER_CLI, another build of textwright-cli (say, the one before a change), is timed on both
# encodings too. Environment: CORPUS (default /tmp/textwright-corpus), RUNS (default 10).
set -euo pipefail
# shellcheck source=bench/common.sh
. "$(dirname "$0")/common.sh"
need hyperfine iconv
other=${2:-}
work="$corpus.utf16"
python3 "$root/bench/make-corpus.py" "$corpus"
mkdir -p "$results" "$work/src8" "$work/src16"
for file in "$corpus"/big/*.txt; do
  name=$(basename "$file")
  if [ ! -e "$work/src16/$name" ]; then
    sed 's/centre/centré/g; s/grey/grisé/g' "$file" >"$work/src8/$name"
    { printf '\xff\xfe' && iconv -f UTF-8 -t UTF-16LE "$work/src8/$name"; } >"$work/src16/$name"
  fi
done

run() {  # run CLI ENCODING: the command hyperfine times
  echo "$1 replace --quiet --no-backup --ignore-case colour color $work/$2/*.txt 2>/dev/null"
}
fresh() {  # fresh ENCODING
  echo "rm -rf $work/$1 && cp -a $work/src$1 $work/$1 && sync"
}
args=(-n "UTF-8" --prepare "$(fresh 8)" "$(run "$cli" 8)"
  -n "UTF-16 LE" --prepare "$(fresh 16)" "$(run "$cli" 16)")
if [ -n "$other" ]; then
  args+=(-n "UTF-8, $other" --prepare "$(fresh 8)" "$(run "$other" 8)"
    -n "UTF-16 LE, $other" --prepare "$(fresh 16)" "$(run "$other" 16)")
fi
uptime
hyperfine --warmup 1 --runs "${RUNS:-10}" --export-json "$results/utf16.json" "${args[@]}"
uptime
# The medians, each UTF-16 run against the UTF-8 run of the same build just before it.
python3 - "$results/utf16.json" <<'PY'
import json, statistics, sys
results = json.load(open(sys.argv[1]))["results"]
print("| command | median ms | range ms | x UTF-8 | user ms, mean | system ms, mean |")
print("|---|---:|---:|---:|---:|---:|")
base = None
for r in results:
    median = statistics.median(r["times"]) * 1000
    base = median if r["command"].startswith("UTF-8") else base
    low, high = min(r["times"]) * 1000, max(r["times"]) * 1000
    print(f"| {r['command']} | {median:.0f} | {low:.0f}-{high:.0f} | {median / base:.2f} |"
          f" {r['user'] * 1000:.0f} | {r['system'] * 1000:.0f} |")
PY

# The last run of each encoding left its output: the same text, byte for byte.
for file in "$work"/8/*.txt; do
  name=$(basename "$file")
  { printf '\xff\xfe' && iconv -f UTF-8 -t UTF-16LE "$file"; } | cmp -s - "$work/16/$name" ||
    die "$name: the UTF-16 result is not the UTF-8 result in UTF-16"
done
! grep -q colour "$work"/8/*.txt || die "a UTF-8 file still holds \"colour\""
rm -rf "$work/8" "$work/16"
