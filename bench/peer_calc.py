"""Times the peer of bench/calc_bench.cpp: mpmath (on gmpy2) for sqrt(2), and pi and e cold and
kept, each with its decimal text, at the digits given (10000 unless given). Prints figures only."""

import sys
import time

import mpmath


def microseconds(call):
    start = time.perf_counter()
    str(call())
    return (time.perf_counter() - start) * 1e6


def best_of(rounds, call):
    return min(microseconds(call) for _ in range(rounds))


def main():
    mpmath.mp.dps = int(sys.argv[1]) if len(sys.argv) > 1 else 10000
    print(f"mpmath at {mpmath.mp.dps} digits (microseconds, with the decimal text)")
    print(f"  pi cold   {microseconds(lambda: +mpmath.pi):10.1f}")
    print(f"  e cold    {microseconds(lambda: +mpmath.e):10.1f}")
    print(f"  pi kept   {best_of(50, lambda: +mpmath.pi):10.1f}")
    print(f"  e kept    {best_of(50, lambda: +mpmath.e):10.1f}")
    print(f"  sqrt(2)   {best_of(50, lambda: mpmath.sqrt(2)):10.1f}")


main()
