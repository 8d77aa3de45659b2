#!/usr/bin/env python3
"""Times the benchmark workloads with libmpdec through Python's decimal module.

Reads a file of "op<TAB>a<TAB>b" lines (op: iadd isub icomp imult idiv radd rsub rmult; a and
b decimal text) and prints "layout<TAB>index<TAB>seconds" per line and heap layout: the mean time
of one call in the best of several batches, each call parsing both operands from text, computing
exactly and formatting the result back to text.

Each further argument is a heap layout, "p0,p1,p2,p3,m": blocks of p0 to p3 bytes are allocated
before the other blocks of a case (the result of its first call), before a, before b and before
the timing, and m=1 runs a 16383 by 16383 digit multiplication first and keeps its result. Without
layout arguments every case runs once, without pads.
"""

import decimal
import sys
import time

BATCH_SECONDS = 0.01
BATCHES = 5
SLOW_SECONDS = 0.05

EXACT = decimal.Context(
    prec=decimal.MAX_PREC,
    Emax=decimal.MAX_EMAX,
    Emin=decimal.MIN_EMIN,
    traps=[decimal.InvalidOperation, decimal.DivisionByZero, decimal.Inexact],
)
decimal.setcontext(EXACT)
D = decimal.Decimal


def add(a, b):
    return str(EXACT.add(D(a), D(b)))


def subtract(a, b):
    return str(EXACT.subtract(D(a), D(b)))


def multiply(a, b):
    return str(EXACT.multiply(D(a), D(b)))


def compare(a, b):
    return str(EXACT.compare(D(a), D(b)))


def divide(a, b):
    quotient, remainder = EXACT.divmod(D(a), D(b))
    return str(quotient) + " r " + str(remainder)


# The point operations are the same calls: decimal keeps the exponent of each operand exactly.
OPERATIONS = {
    "iadd": add,
    "isub": subtract,
    "icomp": compare,
    "imult": multiply,
    "idiv": divide,
    "radd": add,
    "rsub": subtract,
    "rmult": multiply,
}


def time_calls(call, a, b):
    start = time.perf_counter()
    call(a, b)
    first = time.perf_counter() - start
    if first > SLOW_SECONDS:
        return first
    repetitions = max(1, int(BATCH_SECONDS / max(first, 1e-9)))
    best = first
    for _ in range(BATCHES):
        start = time.perf_counter()
        for _ in range(repetitions):
            call(a, b)
        best = min(best, (time.perf_counter() - start) / repetitions)
    return best


def copied(text):
    """A new string object equal to text, allocated now."""
    return (text + " ")[:-1]


def time_in_layout(layout, line):
    op, a, b = line.rstrip("\n").split("\t")
    pads = [bytearray(layout[0])]
    first = OPERATIONS[op](a, b)
    pads.append(bytearray(layout[1]))
    a = copied(a)
    pads.append(bytearray(layout[2]))
    b = copied(b)
    pads.append(bytearray(layout[3]))
    seconds = time_calls(OPERATIONS[op], a, b)
    del first, pads
    return seconds


def main(path, layouts):
    with open(path, encoding="ascii") as workloads:
        lines = workloads.readlines()
    for number, layout in enumerate(layouts):
        elsewhere = None
        if layout[4]:
            elsewhere = multiply("7" * 16383, "3" * 16383)
        for index, line in enumerate(lines):
            print(f"{number}\t{index}\t{time_in_layout(layout, line):.9e}", flush=True)
        del elsewhere


if __name__ == "__main__":
    main(
        sys.argv[1],
        [[int(field) for field in arg.split(",")] for arg in sys.argv[2:]] or [[0, 0, 0, 0, 0]],
    )
