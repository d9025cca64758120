#!/usr/bin/env bash
# Writes a configuration file on standard output for the file paths read from standard input
# (one per line, all checked) and one pair, with confirmation off.
#
#   bench/rpl-of.sh FIND REPLACE BACKUPS(true|false) < paths > CONFIG.rpl
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: rpl-of.sh FIND REPLACE true|false < paths" >&2; exit 2; }
printf 'CaseSensitive=false\r\nWholeWordsOnly=false\r\nCreateBackupFiles=%s\r\n' "$3"
printf 'Confirm=false\r\nAnything=true\r\nRegular=false\r\n'
awk '{ printf "File=%s,1\r\n", $0 }'
printf 'Strings=1\r\n%s\r\nStrings=1\r\n%s\r\n' "$1" "$2"
