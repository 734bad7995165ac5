#!/usr/bin/env python3
# make_seeds.py - writes the seed inputs that are too large to keep in fuzz/corpus, into
# the folder given: for the registry reader, files whose shape once made a lookup slow.
# Each input is the fuzzer's selector byte (0: a well-known key and value, room 1023),
# then the file's contents.
import os
import sys


def long_line_then_nul(length):
    # A line of `length` characters, then about 100 KB of text in which every other
    # character is NUL: behind a line of 32,765 characters regedit's line buffer has room
    # for two more, so it refills two characters at a time, each load cut at its NUL.
    header = b"Windows Registry Editor Version 5.00\r\n"
    line = b'"CORVAN_HOME"="' + b"x" * (length - 15)
    return b"\x00" + header + line + b"\x00a" * 50000


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for length in (32765, 32766):
        with open(os.path.join(folder, "long-line-nul-%d" % length), "wb") as out:
            out.write(long_line_then_nul(length))


main()
