#!/usr/bin/env python3
"""Writes the generated seed statements into fuzz/seeds; they are checked in.

Each seed is a loadable file that reaches every record, so mutations start
deep in the format rather than at its first field.
"""
import pathlib
import struct

SEEDS = pathlib.Path(__file__).resolve().parent / "seeds"
COUNT = 134
INT_MIN, INT_MAX = -(2**31), 2**31 - 1


def record(tag, text, number, length=None):
    if length is None:
        length = len(text)
    return struct.pack("<ii", tag, length) + text + struct.pack("<i", number)


# Mixed signs and the int32 extremes, cycled over the records.
NUMBERS = [0, 1, -1, INT_MIN, INT_MAX, 150, -150, 12345678, -7654321, INT_MIN + 1, INT_MAX - 1]


def full():
    # A short text in every record, some with Windows-1250 letters.
    out = b""
    for tag in range(1, COUNT + 1):
        text = b"v%d" % tag + (b" \xe8\xf8\x9e" if tag % 4 == 0 else b"")
        out += record(tag, text, NUMBERS[tag % len(NUMBERS)])
    return out


def zeros():
    # Zero bytes inside texts, a text of zeros only, then bytes after the last record.
    out = b""
    for tag in range(1, COUNT + 1):
        text = [b"ab\0cd", b"\0", b"\0\0\0", b"xyz\0"][tag % 4]
        out += record(tag, text, tag * 1000 - 70000)
    return out + b"\x01\x00\x00\x00trailing\xff"


def negative():
    # Negative and zero lengths read no text; the number follows at once.
    out = b""
    for tag in range(1, COUNT + 1):
        length = [-1, INT_MIN, 0, -1000][tag % 4]
        out += record(tag, b"", -tag, length)
    return out


for name, build in [("full.bil", full), ("zeros.bil", zeros), ("negative.bil", negative)]:
    (SEEDS / name).write_bytes(build())
