#!/usr/bin/env bash
# Writes the reference renditions the text tests compare with, made by iconv, not by the
# program. Run from this folder; the output is committed.
set -euo pipefail
# Every byte Windows-1252 defines (all but 0x81 0x8D 0x8F 0x90 0x9D, which iconv refuses).
python3 -c '
import sys
sys.stdout.buffer.write(bytes(b for b in range(256) if b not in (0x81, 0x8D, 0x8F, 0x90, 0x9D)))
' >windows1252-defined.bin
iconv -f CP1252 -t UTF-8 windows1252-defined.bin >windows1252-defined.utf8
# Text from every UTF-8 length, a mark inside, the edges of the planes.
printf 'A\xc3\xa9\xe2\x82\xac\xef\xbb\xbf\xe4\xb8\xad\xef\xbf\xbf\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf\xed\x9f\xbf\xee\x80\x80\r\n' >mixed.utf8
iconv -f UTF-8 -t UTF-16LE mixed.utf8 >mixed.utf16le
iconv -f UTF-8 -t UTF-16BE mixed.utf8 >mixed.utf16be
