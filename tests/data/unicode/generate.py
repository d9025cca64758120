#!/usr/bin/env python3
"""Expectations for the Unicode letters, from Python's own Unicode database (not ICU, which
the program uses): run `python3 generate.py > expected.txt` here.

Each line is `FOLD <code> <folded>` or `WORD <code> <0|1>`, hexadecimal code points.
- FOLD: every character whose case folding (str.casefold) is one character other than
  itself. Those are exactly the simple foldings that are not the identity, leaving out the
  characters whose folding is several characters (ß -> ss), which fold to themselves or to
  a single character by the simple rule; the test checks a few of those by hand.
- WORD: a sample of assigned characters (every 61st code point of the planes in use, and
  the characters that separate words in everyday text), 1 for letters (L*), marks (M*) and
  decimal digits (Nd).
"""
import sys
import unicodedata

out = sys.stdout
out.write(f"# Unicode {unicodedata.unidata_version}, Python {sys.version.split()[0]}\n")
for code in range(0x110000):
    if 0xD800 <= code <= 0xDFFF:
        continue
    c = chr(code)
    folded = c.casefold()
    if len(folded) == 1 and folded != c:
        out.write(f"FOLD {code:04X} {ord(folded):04X}\n")

chosen = set(range(0, 0x20000, 61)) | {
    0x00A0, 0x00AB, 0x00BB, 0x2018, 0x2019, 0x201C, 0x201D, 0x2014, 0x2013, 0x2026,
    0x3000, 0x3001, 0x3002, 0x4E2D, 0x6587, 0x0301, 0x0308, 0x00E9, 0x0661, 0x00B2,
    0x00BD, 0x20AC, 0x00A7, 0x005F, 0x2009, 0x202F, 0x00AD, 0x200B, 0x0E01, 0x05D0,
}
for code in sorted(chosen):
    if 0xD800 <= code <= 0xDFFF:
        continue
    category = unicodedata.category(chr(code))
    if category == "Cn":  # unassigned here; a newer database may assign it
        continue
    word = category[0] in "LM" or category == "Nd"
    out.write(f"WORD {code:04X} {int(word)}\n")
