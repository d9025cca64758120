#!/usr/bin/env python3
"""Builds the whole-run benchmark corpus (fixed seed, so every machine gets the same bytes).

  make-corpus.py DIR [--small-files N] [--big-files N] [--big-mib N]
  make-corpus.py DIR --tree every [--files N]
  make-corpus.py DIR --tree many [--files N]

DIR/small: N files (default 20,000) of 4-16 KB in nested folders, half with CR LF line ends
and half with LF; one file in four contains the word "colour" (the word to replace).
DIR/big: four files of 64 MiB, half CR LF, with "colour" scattered through them.
--tree every: DIR/every, N files (default 3,000) of 5-15 KB, every one holding "colour".
--tree many: DIR/many, N small files (default 1,000,000) of 200-1,000 bytes, 1,000 to a
folder, one in four holding "colour"; folder pNN holds files 100,000 x NN onwards, so the
first 100,000 or 300,000 files are the first one or three of them.
An existing tree with the same parameters is left as it is.
"""
import argparse
import os
import random

WORDS = ("the of and to in is that for it as was with be by on not he this are or his from at "
         "which but have an they you were her she there been one all we their has would when if "
         "so no its more who will out up said about can other into than them these some could "
         "time two may then do first any my now such like our over man me even most made after "
         "also did many before must through back years where much your way well down should "
         "because each just those people how too little state good very make world still own "
         "see men work long get here between both life being under never day same another know "
         "while last might us great old year off come since against go came right used take "
         "three <p> </p> <b> </b> <a href=\"page.html\"> </a> color grey centre").split()


def line_pool(rng, count, with_word):
    pool = []
    for _ in range(count):
        words = rng.choices(WORDS, k=rng.randint(4, 16))
        if with_word:
            words.insert(rng.randrange(len(words) + 1), "colour")
        pool.append(" ".join(words))
    return pool


def text_of(rng, plain, marked, size, eol, word_every):
    """About `size` bytes of lines; every `word_every`-th line (0: none) holds the word."""
    parts = []
    total = 0
    n = 0
    while total < size:
        n += 1
        line = rng.choice(marked) if word_every and n % word_every == 0 else rng.choice(plain)
        parts.append(line)
        total += len(line) + len(eol)
    return (eol.join(parts) + eol).encode()


def make_every(rng, plain, marked, root, files):
    """`files` files of 5-15 KB, each holding the word at least once."""
    for i in range(files):
        folder = os.path.join(root, "d%02d" % (i % 30))
        os.makedirs(folder, exist_ok=True)
        eol = "\r\n" if i % 2 else "\n"
        size = rng.randint(5 * 1024, 15 * 1024)
        data = text_of(rng, plain, marked, size, eol, rng.randint(8, 40))
        with open(os.path.join(folder, "f%05d.html" % i), "wb") as f:
            f.write(data)


def make_many(rng, plain, marked, root, files):
    """`files` files of 200-1,000 bytes, 1,000 to a folder; one in four holds the word."""
    for i in range(files):
        if i % 1000 == 0:
            folder = os.path.join(root, "p%02d" % (i // 100000), "d%03d" % (i // 1000 % 100))
            os.makedirs(folder, exist_ok=True)
        eol = "\r\n" if i % 2 else "\n"
        data = text_of(rng, plain, marked, rng.randint(200, 1000), eol, 0).rstrip()
        if i % 4 == 0:
            data = data[:len(data) // 2] + b" colour " + data[len(data) // 2:]
        with open(os.path.join(folder, "f%06d.txt" % i), "wb") as f:
            f.write(data + eol.encode())


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("dir")
    ap.add_argument("--tree", choices=("runs", "every", "many"), default="runs")
    ap.add_argument("--files", type=int)
    ap.add_argument("--small-files", type=int, default=20000)
    ap.add_argument("--big-files", type=int, default=4)
    ap.add_argument("--big-mib", type=int, default=64)
    args = ap.parse_args()
    if args.tree != "runs":
        files = args.files or (3000 if args.tree == "every" else 1000000)
        stamp = os.path.join(args.dir, ".%s-%d" % (args.tree, files))
        if os.path.exists(stamp):
            return
        rng = random.Random(20261209)
        plain = line_pool(rng, 4000, False)
        marked = line_pool(rng, 400, True)
        make = make_every if args.tree == "every" else make_many
        make(rng, plain, marked, os.path.join(args.dir, args.tree), files)
        open(stamp, "w").close()
        return
    stamp = os.path.join(args.dir, ".corpus-%d-%d-%d" % (args.small_files, args.big_files, args.big_mib))
    if os.path.exists(stamp):
        return
    rng = random.Random(20261208)
    plain = line_pool(rng, 4000, False)
    marked = line_pool(rng, 400, True)

    small = os.path.join(args.dir, "small")
    for i in range(args.small_files):
        folder = os.path.join(small, "d%02d" % (i % 25), "e%02d" % (i // 25 % 20))
        os.makedirs(folder, exist_ok=True)
        eol = "\r\n" if i % 2 else "\n"
        with_word = i % 4 == 0
        size = rng.randint(4096, 16384)
        data = text_of(rng, plain, marked, size, eol, rng.randint(8, 40) if with_word else 0)
        with open(os.path.join(folder, "f%05d.html" % i), "wb") as f:
            f.write(data)

    big = os.path.join(args.dir, "big")
    os.makedirs(big, exist_ok=True)
    for i in range(args.big_files):
        eol = "\r\n" if i % 2 else "\n"
        chunk = text_of(rng, plain, marked, 1 << 20, eol, 50)
        with open(os.path.join(big, "big%d.txt" % i), "wb") as f:
            for _ in range(args.big_mib):
                f.write(chunk)
    open(stamp, "w").close()


if __name__ == "__main__":
    main()
