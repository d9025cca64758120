#!/usr/bin/env bash
# The main job on the bundled example: copies examples/ to a scratch folder, runs
# examples/example.rpl there with textwright-cli (the file paths in a configuration that are
# not absolute are taken relative to the configuration's own folder), and shows the results,
# what changed and the report.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
cli="$build/cli/textwright-cli"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/textwright-example-XXXXXX")
cp -a "$root/examples/." "$scratch/"

echo "== The example, copied to $scratch"
(cd "$scratch" && find . -type f | sort)
echo
echo "== Its pairs (example.rpl)"
tr -d '\r' < "$scratch/example.rpl" | awk '/^Strings=/ {getline t; if (n++ % 2 == 0) f = t; else printf "  \"%s\" -> \"%s\"\n", f, t}'
echo
echo "== textwright-cli run example.rpl"
status=0
"$cli" run "$scratch/example.rpl" --report "$scratch/report.txt" || status=$?
echo "(exit status $status)"
echo
echo "== What changed"
diff -ru --exclude='*.rpf' --exclude=report.txt "$root/examples" "$scratch" || true
echo
echo "== Backups left beside the changed files"
(cd "$scratch" && find . -name '*.rpf' | sort)
if [ -f "$scratch/report.txt" ]; then
  echo
  echo "== The report ($scratch/report.txt)"
  tr -d '\r' < "$scratch/report.txt"
fi
exit "$status"
