# Reference values for the calculator's function tests: each input line "name digits arg [arg]"
# gives one output line, the function's value to digits + 40 significant digits in plain notation.
import sys

import mpmath

FUNCTIONS = {"exp": mpmath.exp, "ln": mpmath.log, "sin": mpmath.sin, "cos": mpmath.cos,
             "tan": mpmath.tan, "atan": mpmath.atan, "asin": mpmath.asin, "acos": mpmath.acos,
             "atan2": mpmath.atan2}

for line in sys.stdin:
    name, digits, *args = line.split()
    mpmath.mp.dps = int(digits) + 60
    value = FUNCTIONS[name](*(mpmath.mpf(a) for a in args))
    print(mpmath.nstr(value, int(digits) + 40, min_fixed=-mpmath.inf, max_fixed=mpmath.inf))
