#!/usr/bin/env python3
"""Times the benchmark workloads with libmpdec through Python's decimal module.

Reads a file of "op<TAB>a<TAB>b" lines (op: iadd isub icomp imult idiv radd rsub rmult; a and
b decimal text) and prints "index<TAB>seconds" per line: the mean time of one call in the best of
several batches, each call parsing both operands from text, computing exactly and formatting the
result back to text.
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


def main(path):
    with open(path, encoding="ascii") as workloads:
        for index, line in enumerate(workloads):
            op, a, b = line.rstrip("\n").split("\t")
            print(f"{index}\t{time_calls(OPERATIONS[op], a, b):.9e}", flush=True)


if __name__ == "__main__":
    main(sys.argv[1])
