# Random formulas checked against mpmath (run with Debian's Python as an oracle): each formula's
# value, correctly rounded in every mode, against what calc_driver prints. Exact values are kept
# as fractions; a value that mpmath cannot place at least 10^-(places+40) away from a rounding
# boundary is left out, as is a formula that leaves a function's domain.
import argparse
import random
import subprocess
import sys
from fractions import Fraction

import mpmath

mpmath.mp.dps = 220
MODES = ["HALF_UP", "HALF_EVEN", "HALF_DOWN", "UP", "DOWN", "CEILING", "FLOOR"]
MARGIN = 40


class Undecidable(Exception):
    pass


def real(v):
    return mpmath.mpf(v.numerator) / v.denominator if isinstance(v, Fraction) else v


def round_scaled(v, places, mode):
    """v rounded to places: the whole number q, value q * 10^-places."""
    if isinstance(v, Fraction):
        s = v * Fraction(10) ** places
        low = s.numerator // s.denominator
        frac = s - low
    else:
        s = v * mpmath.mpf(10) ** places
        low = int(mpmath.floor(s))
        frac = s - low
        for edge in (0, 0.5, 1):
            if abs(frac - edge) < mpmath.mpf(10) ** -MARGIN:
                raise Undecidable()
    if frac == 0:
        return low
    negative = v < 0
    away = {"UP": True, "DOWN": False, "CEILING": not negative, "FLOOR": negative}.get(mode)
    if away is None:
        half = (frac > 0.5) - (frac < 0.5)  # against half, toward +infinity
        if negative:
            half = -half
        toward_zero_q = low + 1 if negative else low
        away = half > 0 or (half == 0 and (mode == "HALF_UP" or
                                           (mode == "HALF_EVEN" and toward_zero_q % 2 == 1)))
    return (low if negative else low + 1) if away else (low + 1 if negative else low)


def text(q, places):
    sign, digits = ("-" if q < 0 else ""), str(abs(q))
    if places <= 0:
        return sign + digits + "0" * -places if q else "0"
    digits = digits.rjust(places + 1, "0")
    whole, fraction = digits[:-places], digits[-places:].rstrip("0")
    return sign + whole + ("." + fraction if fraction else "")


class Generator:
    def __init__(self, rng, functions):
        self.rng, self.functions = rng, functions

    def literal(self):
        r = self.rng
        whole, frac = str(r.randint(0, 999)), "".join(r.choice("0123456789")
                                                       for _ in range(r.randint(0, 4)))
        form = r.choice(["w", "w.f", ".f", "w."]) if frac else "w"
        t = form.replace("w", whole).replace("f", frac)
        return t, Fraction(t if not t.endswith(".") else t[:-1]) if t != "." else None

    def whole(self, depth):
        r = self.rng
        kinds = ["int"] * 3 + [f for f in ("fact", "binom", "gcd", "lcm", "quot", "mod", "round",
                                           "arith") if f in self.functions or f == "arith"]
        kind = r.choice(kinds) if depth > 0 else "int"
        if kind == "int":
            n = r.randint(-30, 30)
            return (str(n) if n >= 0 else f"({n})"), n
        if kind == "fact":
            n = r.randint(0, 30)
            return f"fact({n})", mpmath.factorial(n) and int(mpmath.factorial(n))
        if kind == "binom":
            n, k = r.randint(0, 40), r.randint(0, 45)
            return f"binom({n}, {k})", (int(mpmath.binomial(n, k)) if k <= n else 0)
        if kind == "round":
            (t, v), mode = self.any(depth - 1), r.choice(MODES)
            return f"round({t}, 0, {mode.lower()})", round_scaled(v, 0, mode)
        (ta, a), (tb, b) = self.whole(depth - 1), self.whole(depth - 1)
        if kind == "arith":
            op = r.choice("+-*")
            return f"({ta} {op} {tb})", {"+": a + b, "-": a - b, "*": a * b}[op]
        if kind in ("gcd", "lcm"):
            from math import gcd
            g = gcd(a, b)
            return f"{kind}({ta}, {tb})", g if kind == "gcd" else (abs(a * b) // g if g else 0)
        if b == 0:
            raise Undecidable()
        q = abs(a) // abs(b) * (1 if (a < 0) == (b < 0) else -1)
        return f"{kind}({ta}, {tb})", q if kind == "quot" else a - b * q

    def any(self, depth):
        t, v = self.any_unchecked(depth)
        # Beyond 10^30, or maybe an exact 0 (tan(pi)) that mpmath misses by its last digits.
        if not (v == 0 or mpmath.mpf(10) ** -60 < abs(real(v)) < mpmath.mpf(10) ** 30):
            raise Undecidable()
        return t, v

    def any_unchecked(self, depth):
        r = self.rng
        if depth == 0 or (depth < 3 and r.random() < 0.2):
            choice = r.choice(["literal", "literal", "whole"] +
                              [c for c in ("pi", "e") if c in self.functions])
            if choice == "literal":
                return self.literal()
            if choice == "whole":
                n = r.randint(0, 50)
                return str(n), Fraction(n)
            return choice, mpmath.pi if choice == "pi" else mpmath.e
        kind = r.choice(["+", "-", "*", "/", "^", "neg", "whole"] + sorted(self.functions))
        if kind == "whole":
            t, v = self.whole(depth)
            return t, Fraction(v)
        if kind in ("pi", "e", "fact", "binom", "gcd", "lcm", "quot", "mod"):
            return self.any(depth)
        ta, a = self.any(depth - 1)
        if kind == "neg":
            return f"-{ta}", -a
        if kind in "+-*/":
            tb, b = self.any(depth - 1)
            if kind == "/" and b == 0:
                raise Undecidable()
            if isinstance(a, Fraction) and isinstance(b, Fraction):
                v = {"+": a + b, "-": a - b, "*": a * b, "/": a / b if b else 0}[kind]
            else:
                a, b = real(a), real(b)
                v = {"+": a + b, "-": a - b, "*": a * b, "/": a / b if b else 0}[kind]
            return f"({ta} {kind} {tb})", v
        if kind == "^":
            if r.random() < 0.5 or "exp" not in self.functions:
                n = r.randint(-4, 6)
                if a == 0 and n < 0:
                    raise Undecidable()
                v = a ** n if isinstance(a, Fraction) else real(a) ** n
                return f"({ta})^{n}" if n >= 0 else f"({ta})^-{-n}", v
            tb, b = self.literal()
            if a <= 0 or b is None:
                raise Undecidable()
            return f"({ta})^{tb}", real(a) ** real(b)
        return self.function(kind, ta, real(a), depth)

    def function(self, kind, ta, a, depth):
        r = self.rng
        one = {"sqrt": (mpmath.sqrt, a >= 0), "ln": (mpmath.log, a > 0),
               "log10": (mpmath.log10, a > 0), "exp": (mpmath.exp, abs(a) < 60),
               "sin": (mpmath.sin, True), "cos": (mpmath.cos, True), "tan": (mpmath.tan, True),
               "atan": (mpmath.atan, True), "abs": (abs, True),
               "asin": (mpmath.asin, abs(a) <= 1), "acos": (mpmath.acos, abs(a) <= 1)}
        if kind in one:
            f, inside = one[kind]
            if not inside:
                raise Undecidable()
            return f"{kind}({ta})", f(a)
        if kind == "root":
            n = r.randint(1, 5)
            if a < 0 and n % 2 == 0:
                raise Undecidable()
            v = mpmath.root(abs(a), n)
            return f"root({ta}, {n})", -v if a < 0 else v
        if kind == "round":
            places, mode = r.randint(-2, 8), r.choice(MODES)
            return (f"round({ta}, {places}, {mode})",
                    Fraction(round_scaled(a, places, mode)) / Fraction(10) ** places)
        tb, b = self.any(depth - 1)
        b = real(b)
        if kind == "log":
            if a <= 0 or b <= 0 or abs(b - 1) < 1e-30:
                raise Undecidable()
            return f"log({ta}, {tb})", mpmath.log(a) / mpmath.log(b)
        if a == 0 and b == 0:
            raise Undecidable()
        return f"atan2({ta}, {tb})", mpmath.atan2(a, b)

    def case(self):
        while True:
            try:
                t, v = self.any(self.rng.randint(2, 4))
                if v != 0 and not mpmath.mpf(10) ** -30 < abs(real(v)) < mpmath.mpf(10) ** 30:
                    continue
                places = self.rng.choice([0, 1, 3, 10, 20, 35])
                return t, places, {m: text(round_scaled(v, places, m), places) for m in MODES}
            except (Undecidable, ValueError, ZeroDivisionError, OverflowError):
                continue


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("driver")
    parser.add_argument("--cases", type=int, default=300)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--functions", default="sqrt root ln log10 log exp sin cos tan asin "
                        "acos atan atan2 abs fact binom gcd lcm quot mod round pi e")
    args = parser.parse_args()
    generator = Generator(random.Random(args.seed), set(args.functions.split()))
    cases = [generator.case() for _ in range(args.cases)]
    lines = [f"{places} {mode} {t}" for t, places, expected in cases for mode in MODES]
    run = subprocess.run([args.driver], input="\n".join(lines) + "\n", capture_output=True,
                         text=True, check=True)
    expected = [e[mode] for _, _, e in cases for mode in MODES]
    results = run.stdout.split("\n")[:-1]
    if len(results) != len(lines):
        print(f"{len(lines)} formulas but {len(results)} results")
        return 1
    failures = [f"{line}: got {got}, expected {want}"
                for line, got, want in zip(lines, results, expected) if got != want]
    print(f"{len(lines)} formulas in every mode, {len(failures)} wrong")
    print("\n".join(failures[:40]))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
