"""Writes the KEval cases that keval_runner.vbs checks, one a line:

    FORMULA<TAB>places<TAB>mode<TAB>expected

with an empty mode for the default (HALF_UP), and "END<TAB>number of cases" last. The expected
outcomes come from oracle.k_eval; those of syntax errors ("error 5 at column N") are written
here. Cases the oracle cannot decide are left out.

    generate_keval.py CASES_FILE
"""

import random
import sys

import oracle

rng = random.Random(20261215)
MODES = list(oracle.MODES)
# Each in the default mode.
FORMULAS = [
    ("1 + 2", 20), ("1 - 2 - 3", 5), ("2 * 3 - 4 / 5", 5), ("1/3", 20), ("-1/3", 20),
    ("2 + 3 * 4", 5), ("(2 + 3) * 4", 5), ("10 / 4 / 5", 5), ("-2^2", 5), ("(-2)^2", 5),
    ("2^3^2", 5), ("2^-1", 5), ("-2^-2", 5), ("--3 - +-2", 5), ("2 * -3", 5), ("+.5 + 5.", 5),
    ("0.1 + 0.2", 5), ("1.5^3", 10), ("(-1.5)^3", 10), ("0.5^-3", 5), ("(-2)^-3", 5), ("7^0", 5),
    ("0^0", 5), ("0^2.5", 5), ("2^0.5", 20), ("1.5^-2.3", 20), ("10^200 / 10^199", 5),
    ("sqrt(2)", 30), ("sqrt(2.25)", 5), ("root(27, 3)", 10), ("root(-8, 3)", 10),
    ("root(2, 7)", 25), ("root(3.375, 3)", 0), ("exp(1)", 25), ("exp(-30)", 20), ("ln(2)", 25),
    ("ln(0.001)", 20), ("log10(1000)", 5), ("log10(2)", 20), ("log(8, 2)", 5), ("log(2, 4)", 5),
    ("log(10, 3)", 20), ("log(0.125, 0.25)", 5), ("sin(1)", 20), ("cos(1)", 20), ("tan(1)", 20),
    ("sin(-100)", 20), ("tan(1.5)", 20), ("asin(0.5)", 20), ("acos(0.5)", 20),
    ("acos(-1)", 20), ("atan(1) * 4", 20), ("atan(-1000)", 20), ("atan2(-1, -1)", 20),
    ("atan2(0, -2)", 20), ("atan2(1, 0)", 20), ("atan2(0, 5)", 20), ("abs(-3.5)", 5),
    ("abs(2 - pi)", 20), ("fact(25)", 0), ("fact(0)", 0), ("binom(50, 25)", 0),
    ("binom(3, 5)", 0), ("gcd(12, -18)", 0), ("gcd(0, 0)", 0), ("lcm(4, 6)", 0), ("lcm(0, 6)", 0),
    ("quot(-7, 2)", 0), ("mod(-7, 2)", 0), ("mod(7, -2)", 0), ("quot(7.0, 2)", 0),
    ("round(1234.5, -2)", 0), ("round(2.5, 0, HALF_EVEN)", 3), ("round(-2.5, 0, floor)", 3),
    ("round(pi, 2) * 100", 5), ("round(1/3, 5, UP) * 3", 10), ("fact(sqrt(16))", 0),
    ("PI + E", 20), ("Sqrt(4) + EXP(0)", 5), ("sqrt(2)*pi + ln(10)", 50),
    ("sin(pi/6)", 20), ("cos(pi/3)", 20), ("tan(pi/4)", 20), ("exp(ln(10)) / 10", 20),
    ("fact(2 * sin(pi/2))", 0), ("asin(sin(pi/2))", 20), ("root(sqrt(2)^2 - 2, 2)", 5),
    ("1 / (sqrt(2)^2 - 2)", 5), ("ln(sin(pi))", 5), ("tan(pi/2)", 5), ("1 / 0", 5),
    ("quot(1, 0)", 0), ("mod(1, 0)", 0), ("sqrt(-1)", 5), ("root(-8, 2)", 5), ("root(8, 0)", 5),
    ("root(8, 1.5)", 5), ("ln(0)", 5), ("log10(-1)", 5), ("log(2, 1)", 5), ("log(2, 0)", 5),
    ("log(-2, 3)", 5), ("asin(1.5)", 5), ("acos(-2)", 5), ("atan2(0, 0)", 5), ("fact(2.5)", 0),
    ("fact(-1)", 0), ("binom(-1, 2)", 0), ("gcd(1.5, 3)", 0), ("round(1, 0.5)", 0),
    ("0^-1", 5), ("0^-0.5", 5), ("(-8)^(1/3)", 5), ("exp(300000)", 5), ("10^200000", 5),
]
# Each in every mode.
EVERY_MODE = [("2.5", 0), ("-2.5", 0), ("1/8", 2), ("-1/8", 2), ("2/3", 5), ("-2/3", 5),
              ("sin(pi)", 10), ("sqrt(2)^2", 5), ("exp(ln(2))", 5), ("1/3*3", 5),
              ("round(2.345, 2, HALF_EVEN) + 0.0005", 3), ("-pi", 10)]
SYNTAX = [("2 +", 4), ("", 1), ("(1 + 2", 7), ("1 + 2)", 6), ("1 # 2", 3), ("2 3", 3),
          ("2pi", 2), ("1.2.3", 4), ("foo(2)", 1), ("sqrt 2", 6), ("sqrt(1, 2)", 1),
          ("root(8)", 1), ("round(1, 2, 3)", 13), ("round(1, 2, sideways)", 13), ("*2", 1),
          ("2 ^", 4), ("sin()", 5), ("(", 2), ("x = 1", 1), ("1 = 1", 3), ("pi(2)", 3),
          ("(" * 401 + "1" + ")" * 401, 401)]
LEAVES = ["2", "3", "0.5", "1.25", "7", "10", "0.1", "pi", "e", "sqrt(3)", "ln(5)", "exp(0.5)"]


def random_formula(depth):
    """Numbers, the operators and functions of small arguments, at most depth levels deep."""
    if depth == 0 or rng.random() < 0.3:
        return rng.choice(LEAVES)
    a, b = random_formula(depth - 1), random_formula(depth - 1)
    return rng.choice([f"{a} + {b}", f"{a} - {b}", f"{a} * {b}", f"({a}) / ({b})",
                       f"-({a})", f"({a})^{rng.randint(-3, 4)}", f"atan({a})", f"cos({a})",
                       f"sqrt(abs({a}))", f"ln(1 + abs({a}))", f"atan2({a}, {b})"])


def main():
    cases = [(f, p, "") for f, p in FORMULAS]
    cases += [(f, p, mode) for f, p in EVERY_MODE for mode in MODES]
    cases += [(random_formula(3), rng.randint(5, 30), rng.choice(MODES)) for _ in range(40)]
    lines = [f"{f}\t{p}\t{mode}\terror 5 at column {column}" for f, column in SYNTAX
             for p, mode in [(5, "")]]
    for formula, places, mode in cases:
        try:
            lines.append(f"{formula}\t{places}\t{mode}\t"
                         + oracle.outcome(lambda: oracle.k_eval(formula, str(places), mode)))
        except oracle.Undecided:
            pass
    with open(sys.argv[1], "w", encoding="ascii", newline="\n") as out:
        out.write("".join(line + "\n" for line in lines) + f"END\t{len(lines)}\n")


if __name__ == "__main__":
    main()
