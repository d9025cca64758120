#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it (.clang-format).
# With --fix, formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/textwright-format.$$; then
  grep -E '^[^ ].*: (error|warning):' /tmp/textwright-format.$$ | cut -d: -f1 | sort -u |
    sed 's/^/not formatted: /' >&2
  rm -f /tmp/textwright-format.$$
  echo "Run scripts/check-format.sh --fix (or make format) and commit the result." >&2
  exit 1
fi
rm -f /tmp/textwright-format.$$
