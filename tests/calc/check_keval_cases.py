"""Runs the KEval table (tests/vba/generate_keval.py, expected outcomes from the oracle) through
`kestrum calc`'s calculator (calc_driver): both round the exact value once, so both must give
each value, error number and syntax-error column. Left out: blank formulas and assignments,
which only the calculator's lines accept, formulas deeper than KEval's nesting bound, and
the END line that closes the table.
  check_keval_cases.py GENERATE_KEVAL_PY CALC_DRIVER"""

import subprocess
import sys
import tempfile


def nesting(formula):
    depth = deepest = 0
    for c in formula:
        depth += (c == "(") - (c == ")")
        deepest = max(deepest, depth)
    return deepest


def main():
    generator, driver = sys.argv[1], sys.argv[2]
    with tempfile.NamedTemporaryFile("r", suffix=".txt") as table:
        subprocess.run([sys.executable, generator, table.name], check=True)
        cases = [line.rstrip("\n").split("\t") for line in table if line.strip("\n")]
    cases = [c for c in cases if len(c) == 4 and c[0].strip() and "=" not in c[0] and nesting(c[0]) <= 400]
    lines = "".join(f"{places} {mode or 'HALF_UP'} {formula}\n"
                    for formula, places, mode, _ in cases)
    got = subprocess.run([driver], input=lines, capture_output=True, text=True,
                         check=True).stdout.splitlines()
    wrong = []
    for (formula, places, mode, want), have in zip(cases, got, strict=True):
        # A value, or an error whose column must agree where the table names one.
        agrees = have == want or (" at column" not in want and have.startswith(want + " at"))
        if not agrees:
            wrong.append(f"{formula!r} places {places} {mode}: calc {have}, expected {want}")
    print(f"{len(cases)} KEval cases through the calculator, {len(wrong)} different")
    print("\n".join(wrong))
    return 1 if wrong else 0


sys.exit(main())
