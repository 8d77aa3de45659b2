"""Times `kestrum calc` beside its peers in one run: mpmath with gmpy2 (one warm call, the decimal
string included) at 10000 places, and bc -l at 3000 places. Kestrum's figures come from
calc_timing: beside mpmath the worst heap layout's best warm call, beside bc, which starts from
nothing in a fresh process, the first call of the process (pi, e and ln 2 not yet kept). Each
mpmath figure is the best of five warm rounds; bc, which takes seconds, runs once per formula.
Prints a table with the ratios.
  peer_calc.py CALC_TIMING
A benchmark: it prints figures and checks nothing."""

import shutil
import subprocess
import sys
import time

import mpmath

FORMULAS = [
    # (calculator formula, mpmath call, bc -l program)
    ("pi", lambda: +mpmath.mp.pi, "4*a(1)"),
    ("e", lambda: +mpmath.mp.e, "e(1)"),
    ("ln(2)", lambda: mpmath.log(2), "l(2)"),
    ("exp(1.5)", lambda: mpmath.exp(mpmath.mpf("1.5")), "e(1.5)"),
    ("sin(1)", lambda: mpmath.sin(1), "s(1)"),
    ("atan(0.5)", lambda: mpmath.atan(mpmath.mpf("0.5")), "a(0.5)"),
    ("sqrt(2)", lambda: mpmath.sqrt(2), "sqrt(2)"),
]


def kestrum_times(program, places, column):
    """Milliseconds by formula: column 1 is the cold call, 2 the warm one."""
    lines = subprocess.run([program, str(places)] + [f for f, _, _ in FORMULAS], check=True,
                           capture_output=True, text=True).stdout.splitlines()
    return {line.split("\t")[0]: float(line.split("\t")[column]) / 1000 for line in lines}


def mpmath_ms(call, places):
    mpmath.mp.dps = places + 5
    call()
    best = None
    for _ in range(5):
        start = time.perf_counter()
        mpmath.nstr(call(), places + 1, strip_zeros=False)
        elapsed = (time.perf_counter() - start) * 1000
        best = elapsed if best is None else min(best, elapsed)
    return best


def bc_ms(program, places):
    start = time.perf_counter()
    subprocess.run(["bc", "-l"], input=f"scale={places}; {program}\n".encode(), check=True,
                   stdout=subprocess.DEVNULL)
    return (time.perf_counter() - start) * 1000


def main():
    program = sys.argv[1]
    ours = kestrum_times(program, 10000, 2)
    print(f"mpmath backend: {mpmath.libmp.BACKEND}")
    print("| formula | kestrum calc, 10000 places | mpmath + gmpy2 | ratio (goal <= 2) |")
    print("|---|---:|---:|---:|")
    for formula, call, _ in FORMULAS:
        peer = mpmath_ms(call, 10000)
        print(f"| `{formula}` | {ours[formula]:.2f} ms | {peer:.2f} ms | "
              f"{ours[formula] / peer:.2f} |")
    if shutil.which("bc") is None:
        print("bc is not installed: no bc -l figures")
        return
    ours = kestrum_times(program, 3000, 1)
    print()
    print("| formula | kestrum calc, 3000 places, first call | bc -l | bc / kestrum (goal >= 100) |")
    print("|---|---:|---:|---:|")
    for formula, _, bc_program in FORMULAS:
        peer = bc_ms(bc_program, 3000)
        print(f"| `{formula}` | {ours[formula]:.2f} ms | {peer:.0f} ms | "
              f"{peer / ours[formula]:.0f} |")


main()
