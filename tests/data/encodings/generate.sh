#!/usr/bin/env bash
# Writes the files of the encodings tests, made by iconv, not by the program: one text in
# every encoding a file is read in (UTF-8, UTF-8 with mark, UTF-16 LE and BE with marks,
# Windows-1252), with LF and with CR LF line ends, as it is before a run and after each of the
# runs the tests make. Run from this folder; the output is committed.
set -euo pipefail

# write FOLDER TEXT: TEXT (UTF-8, LF line ends) as FOLDER/<encoding>-<line ends>.txt
write() {
  local folder=$1 text=$2 ends crlf
  mkdir -p "$folder"
  for ends in lf crlf; do
    if [ "$ends" = crlf ]; then crlf=$(printf '%s' "$text" | sed 's/$/\r/'; echo x); crlf=${crlf%x}; else crlf=$text; fi
    printf '%s' "$crlf" >"$folder/utf8-$ends.txt"
    { printf '\xef\xbb\xbf'; printf '%s' "$crlf"; } >"$folder/utf8-mark-$ends.txt"
    { printf '\xff\xfe'; printf '%s' "$crlf" | iconv -f UTF-8 -t UTF-16LE; } >"$folder/utf16le-$ends.txt"
    { printf '\xfe\xff'; printf '%s' "$crlf" | iconv -f UTF-8 -t UTF-16BE; } >"$folder/utf16be-$ends.txt"
    printf '%s' "$crlf" | iconv -f UTF-8 -t CP1252 >"$folder/windows1252-$ends.txt"
  done
  # A UTF-16 file ending in half a unit.
  { cat "$folder/utf16le-lf.txt"; printf '\x0a'; } >"$folder/utf16le-odd.txt"
}

rm -rf before cafe-the noir-blanc first-bytes
nl=$'\n'
write before "Un café noir, un café crème.${nl}Merci.${nl}"
# café -> thé
write cafe-the "Un thé noir, un thé crème.${nl}Merci.${nl}"
# noir -> blanc (an ASCII pair)
write noir-blanc "Un café blanc, un café crème.${nl}Merci.${nl}"
# café -> thé in the first 8 bytes of the text (in UTF-8: "Un café ")
write first-bytes "Un thé noir, un café crème.${nl}Merci.${nl}"
