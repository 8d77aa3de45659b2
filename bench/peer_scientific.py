"""Times the peers of KestrumMath's scientific functions: Python's decimal (ln, exp, log10,
power and square root) at 1000 and 10000 places, and bc -l (ln 2, e, sin 1, pi) at 1000 and
3000 digits, where it is still fast enough to wait for. Each decimal figure is the best of three
rounds; bc, which takes seconds, runs once per call.
Run by bench/vba_timing.sh after the module's own timings, so that all come from one run.
A benchmark: it prints figures and checks nothing."""

import decimal
import shutil
import subprocess
import time

DECIMAL_CALLS = [
    ("ln(2)", lambda: decimal.Decimal(2).ln()),
    ("exp(1.5)", lambda: decimal.Decimal("1.5").exp()),
    ("log10(2)", lambda: decimal.Decimal(2).log10()),
    ("power(1.5, 2.718281828)", lambda: decimal.Decimal("1.5") ** decimal.Decimal("2.718281828")),
    ("sqrt(2)", lambda: decimal.Decimal(2).sqrt()),
]
BC_CALLS = [("ln(2)", "l(2)"), ("e", "e(1)"), ("sin(1)", "s(1)"), ("pi", "4*a(1)")]


def best_of(rounds, call):
    best = None
    for _ in range(rounds):
        start = time.perf_counter()
        call()
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    return best * 1000


for places in (1000, 10000):
    for name, call in DECIMAL_CALLS:
        decimal.getcontext().prec = places + 1
        print(f"Python decimal {name} to {places} digits: {best_of(3, call):.1f} ms")
if shutil.which("bc") is None:
    print("bc is not installed: no bc -l figures")
else:
    for digits in (1000, 3000):
        for name, expression in BC_CALLS:
            program = f"scale={digits}; {expression}\n".encode()
            ms = best_of(1, lambda: subprocess.run(["bc", "-l"], input=program, check=True,
                                                      stdout=subprocess.DEVNULL))
            print(f"bc -l {name} to {digits} digits: {ms:.1f} ms")
