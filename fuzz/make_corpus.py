#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz target into fuzz/corpus (the byte layout is described in
fuzz/fuzz_input.h): each operation in each mode on plain, signed, blank-filled, pointed, long
and malformed operands."""

import pathlib

ALPHABET = (
    "0123456789 -+.09 -axE\t/:"
    "\u00a0\u0663\uff11\ud800\u0000\u0139\u0130\u012d"
)
OPS = ["iadd", "isub", "imult", "radd", "rsub", "rmult", "icomp", "idiv"]
MODES = ["direct", "aliased", "arithm", "arithm-null"]


def encode_text(text):
    out = bytearray()
    i = 0
    while i < len(text):
        c = text[i]
        run = 1
        while i + run < len(text) and text[i + run] == c:
            run += 1
        if run >= 8 and c in ALPHABET:
            out += bytes([0xF0, ALPHABET.index(c)]) + run.to_bytes(2, "big")
        elif c in ALPHABET:
            out += bytes([ALPHABET.index(c)]) * run
        else:
            out += (bytes([0xFE]) + ord(c).to_bytes(2, "big")) * run
        i += run
    return bytes(out)


def encode(op, mode, a1, a2, first="", second="", flag=0, nulls=0):
    header = bytes([OPS.index(op) | MODES.index(mode) << 3]) + flag.to_bytes(2, "little", signed=True)
    texts = [encode_text(t) for t in (a1, a2, first, second)]
    return header + bytes([nulls]) + b"\xff".join(texts)


LIMIT = 32766
SEEDS = [
    ("iadd", "direct", "12345", "678"),
    ("iadd", "aliased", "-999", "1"),
    ("iadd", "arithm", " 1 2 3 ", "- 4 5"),
    ("iadd", "direct", "9" * LIMIT, "1"),
    ("iadd", "direct", "9" * LIMIT, "9" * LIMIT),
    ("iadd", "arithm-null", "", "-"),
    ("iadd", "direct", "+-12", "3a"),
    ("iadd", "direct", "9" * LIMIT, "-" * LIMIT),
    ("iadd", "direct", "-" * (LIMIT - 1) + "5", "1"),
    ("isub", "direct", "1" + "0" * 60, "1"),
    ("isub", "aliased", "0005", "-0005"),
    ("isub", "arithm", "7", "\u0663"),
    ("isub", "direct", "x" + "9" * (LIMIT - 1), "1"),
    ("isub", "arithm-null", "-0", ""),
    ("imult", "direct", "123456789", "-987654321"),
    ("imult", "aliased", "-0", "5"),
    ("imult", "arithm", "99999", "99999"),
    ("imult", "direct", "9" * (LIMIT - 1), "99"),
    ("imult", "direct", "9" * (LIMIT - 2), "9"),
    ("imult", "arithm-null", "", "+"),
    ("imult", "direct", "12\u0139", "3"),
    ("radd", "direct", "1.5", ".5"),
    ("radd", "aliased", ".", ""),
    ("radd", "arithm", "-1.2.3", "4"),
    ("radd", "direct", "9" * 16383 + "." + "9" * 16382, ".1"),
    ("rsub", "direct", "0.1", "0.25"),
    ("rsub", "arithm-null", ".", ""),
    ("rsub", "aliased", "- 1 . 0 0", "+.5"),
    ("rmult", "direct", "1.5", "2"),
    ("rmult", "aliased", ".5", ".5"),
    ("rmult", "arithm", "-0.5", "0.0"),
    ("rmult", "direct", "12.5E3", "2"),
    ("icomp", "direct", "-0", "0"),
    ("icomp", "arithm", "+", "-"),
    ("icomp", "arithm-null", "00012", "12"),
    ("icomp", "direct", "1a", "1b"),
    ("icomp", "direct", "9" * LIMIT, "9" * (LIMIT - 1) + "8"),
    ("icomp", "direct", "1" * (LIMIT + 1), "1"),
    # Around the operands that fit machine words: 18 and 19 digits, sign forms, zero forms.
    ("iadd", "direct", "999999999999999999", "-+000000000000000001"),
    ("isub", "aliased", "-+007", "0"),
    ("isub", "direct", "-0", "0"),
    ("imult", "direct", "-999999999999999999", "999999999999999999"),
    ("icomp", "direct", "-+999999999999999999", "1000000000000000000"),
    ("rmult", "direct", "-.000000000000000001", "99999999.99999999"),
    ("rmult", "aliased", "-0.", "7"),
]
DIVISIONS = [
    ("direct", "100", "0", "junk", "-", 7, 0),
    ("direct", "100", "-00", "", "", 0, 0),
    ("aliased", "-7", "2", "", "", 3, 0),
    ("arithm", "123456789012345678901234567890", "-987654321", "m", "r", -1, 0),
    ("arithm-null", "", "5", "", "", 0, 15),
    ("direct", "9" * LIMIT, "7", "", "", 0, 0),
    ("direct", "12x4", "3", "5", "6", 2, 0),
    ("arithm", " 1 0 0 ", "0 0 1 0", "", "", 0, 0),
    ("direct", "-999999999999999999", "-+7", "", "", 0, 0),
    ("aliased", "x", "-0", "", "", 0, 0),
]


def main():
    folder = pathlib.Path(__file__).resolve().parent / "corpus"
    folder.mkdir(exist_ok=True)
    for old in folder.iterdir():
        old.unlink()
    seeds = [encode(op, mode, a1, a2) for op, mode, a1, a2 in SEEDS]
    seeds += [encode("idiv", mode, a1, a2, m, r, er, nulls)
              for mode, a1, a2, m, r, er, nulls in DIVISIONS]
    for number, seed in enumerate(seeds):
        (folder / f"seed-{number:02d}").write_bytes(seed)


if __name__ == "__main__":
    main()
