"""What the KestrumMath functions must give, computed with Python's decimal, fractions and math.

Every function takes the arguments as the module receives them (texts, or None for Empty) and
returns the expected outcome as the test runners print it: the result text, "#n" for a number
(KCmp), "error 5 <argument>" for a refused argument, "error 11" for a division by zero and
"error 6" for a number text or result longer than 32766 characters.
"""

import math
import random
import re
import sys
from decimal import (Context, Decimal, ROUND_CEILING, ROUND_DOWN, ROUND_FLOOR, ROUND_HALF_DOWN,
                     ROUND_HALF_EVEN, ROUND_HALF_UP, ROUND_UP)
from fractions import Fraction

sys.set_int_max_str_digits(0)
MAX_TEXT = 32766
NUMBER_TEXT = re.compile(r"[+-]?(\d+\.?\d*|\.\d+)\Z")
# Wide enough that no value of the tests is ever rounded by the context itself.
EXACT = Context(prec=200000, Emax=10**7, Emin=-10**7)
MODES = {
    "HALF_UP": ROUND_HALF_UP, "HALF_EVEN": ROUND_HALF_EVEN, "HALF_DOWN": ROUND_HALF_DOWN,
    "UP": ROUND_UP, "DOWN": ROUND_DOWN, "CEILING": ROUND_CEILING, "FLOOR": ROUND_FLOOR,
}


class Failure(Exception):
    """An error the module raises: its number and, for error 5, the argument it names."""

    def __init__(self, number, argument=None):
        super().__init__(number, argument)
        self.outcome = f"error {number}" + (f" {argument}" if argument else "")


def read(text, argument):
    """The value of a number argument; None is Empty."""
    if text is None:
        return Decimal(0)
    if len(text) > MAX_TEXT:
        raise Failure(6)
    bare = text.replace(" ", "")
    if not NUMBER_TEXT.match(bare):
        raise Failure(5, argument)
    return Decimal(bare)


def read_whole(text, argument):
    value = read(text, argument)
    if value != value.to_integral_value():
        raise Failure(5, argument)
    return int(value)


def read_mode(text):
    if text is None or text == "":
        return ROUND_HALF_UP
    if text.upper() not in MODES:
        raise Failure(5, "mode")
    return MODES[text.upper()]


def normal(value):
    """The normal form of a Decimal: no exponent, no trailing fraction zeros, never -0."""
    text = format(value, "f")
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    if text in ("-0", ""):
        text = "0"
    if len(text) > MAX_TEXT:
        raise Failure(6)
    return text


def rounded(value, places, mode):
    """Fraction value rounded once to places fraction digits (places < 0: tens, hundreds, ...).

    The value is cut toward zero two digits past the place kept, and a last digit 1 marks a
    non-zero rest, so that the quantize below sees ties and near-ties exactly as they are.
    """
    sign = -1 if value < 0 else 1
    scaled = abs(value) * Fraction(10) ** (places + 1)
    cut = scaled.numerator // scaled.denominator
    sticky = 1 if cut != scaled else 0
    near = EXACT.scaleb(Decimal(sign * (cut * 10 + sticky)), -(places + 2))
    return near.quantize(Decimal(1).scaleb(-places), rounding=mode, context=EXACT)


def outcome(compute):
    """Runs an oracle function and turns a Failure into its outcome text."""
    try:
        return compute()
    except Failure as failure:
        return failure.outcome


def k_add(a, b):
    return normal(EXACT.add(read(a, "a"), read(b, "b")))


def k_sub(a, b):
    return normal(EXACT.subtract(read(a, "a"), read(b, "b")))


def k_mul(a, b):
    return normal(EXACT.multiply(read(a, "a"), read(b, "b")))


def k_div(a, b, places, mode):
    x, y = read(a, "a"), read(b, "b")
    p = read_whole(places, "places")
    if p < 0:
        raise Failure(5, "places")
    rounding = read_mode(mode)
    if y == 0:
        raise Failure(11)
    return normal(rounded(Fraction(x) / Fraction(y), p, rounding))


def _divide_whole(a, b):
    x, y = read_whole(a, "a"), read_whole(b, "b")
    if y == 0:
        raise Failure(11)
    quotient = abs(x) // abs(y) * (1 if (x < 0) == (y < 0) else -1)
    return quotient, x - y * quotient


def k_quot(a, b):
    return str(_divide_whole(a, b)[0])


def k_mod(a, b):
    return str(_divide_whole(a, b)[1])


def k_cmp(a, b):
    x, y = read(a, "a"), read(b, "b")
    return "#" + str((x > y) - (x < y))


def k_round(a, places, mode):
    x = read(a, "a")
    p = read_whole(places, "places")
    return normal(rounded(Fraction(x), p, read_mode(mode)))


def k_pow(a, n):
    x = read(a, "a")
    e = read_whole(n, "n")
    if e < 0:
        raise Failure(5, "n")
    sign, digits, exponent = x.normalize(EXACT).as_tuple()
    coefficient = int("".join(map(str, digits)))
    if abs(x) != 1 and x != 0 and e * math.log10(max(coefficient, 2)) > 2 * MAX_TEXT:
        raise Failure(6)  # at least that many digits: too long, and too long to compute here
    power = ((-1) ** sign * coefficient) ** e
    return normal(EXACT.scaleb(Decimal(power), exponent * e))


def k_sqrt(a, places, mode):
    x = read(a, "a")
    p = read_whole(places, "places")
    if p < 0:
        raise Failure(5, "places")
    rounding = read_mode(mode)
    if x < 0:
        raise Failure(5, "a")
    # The root cut toward zero at more places than kept, with a marker digit for a rest.
    extra = max(1, -x.as_tuple().exponent)
    scaled = int(EXACT.scaleb(x, 2 * (p + extra)))
    root = math.isqrt(scaled)
    sticky = 1 if root * root != scaled else 0
    near = EXACT.scaleb(Decimal(root * 10 + sticky), -(p + extra + 1))
    return normal(near.quantize(Decimal(1).scaleb(-p), rounding=rounding, context=EXACT))


def k_gcd(a, b):
    return str(math.gcd(read_whole(a, "a"), read_whole(b, "b")))


def k_lcm(a, b):
    return str(math.lcm(read_whole(a, "a"), read_whole(b, "b")))


def k_modpow(a, e, m):
    x, ex, mo = read_whole(a, "a"), read_whole(e, "e"), read_whole(m, "m")
    if ex < 0:
        raise Failure(5, "e")
    if mo < 1:
        raise Failure(5, "m")
    return str(pow(x, ex, mo))


def k_fact(n):
    count = read_whole(n, "n")
    if count < 0:
        raise Failure(5, "n")
    if count > 20000:
        raise Failure(6)  # far past the longest text
    return normal(Decimal(math.factorial(count)))


def k_binom(n, k):
    nn, kk = read_whole(n, "n"), read_whole(k, "k")
    if nn < 0:
        raise Failure(5, "n")
    if kk < 0:
        raise Failure(5, "k")
    return normal(Decimal(math.comb(nn, kk)))


def k_abs(a):
    return normal(EXACT.abs(read(a, "a")))


def k_neg(a):
    return normal(EXACT.minus(read(a, "a")))


def k_norm(a):
    return normal(read(a, "a"))


def _members(values):
    return [v for v in values if v is not None and v.replace(" ", "") != ""]


def k_sum(*values):
    total = Decimal(0)
    for value in _members(values):
        total = EXACT.add(total, read(value, "values"))
    return normal(total)


def k_product(*values):
    total = Decimal(1)
    for value in _members(values):
        total = EXACT.multiply(total, read(value, "values"))
    return normal(total)


FUNCTIONS = {
    "KAdd": k_add, "KSub": k_sub, "KMul": k_mul, "KDiv": k_div, "KQuot": k_quot,
    "KMod": k_mod, "KCmp": k_cmp, "KRound": k_round, "KPow": k_pow, "KSqrt": k_sqrt,
    "KGcd": k_gcd, "KLcm": k_lcm, "KModPow": k_modpow, "KFact": k_fact, "KBinom": k_binom,
    "KAbs": k_abs, "KNeg": k_neg, "KNorm": k_norm, "KSum": k_sum, "KProduct": k_product,
}


def expect(function, *arguments):
    """The outcome of function (a name of FUNCTIONS) on the arguments."""
    return outcome(lambda: FUNCTIONS[function](*arguments))



try:
    import mpmath
except ImportError:  # Debian's python3-mpmath, when the tests run with another Python 3
    sys.path.append("/usr/lib/python3/dist-packages")
    import mpmath

BASE_DIGITS = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"
WITNESSES = random.Random(97).sample(range(2, 10**6), 30)


class Undecided(Exception):
    """The oracle's own digits end too near a rounding boundary to tell the result."""


def read_count(text, argument, least=0, most=10**9 - 1):
    """A whole number the module holds as a Long (ten digits are error 6), least to most."""
    value = read_whole(text, argument)
    if abs(value) >= 10**9:
        raise Failure(6)
    if not least <= value <= most:
        raise Failure(5, argument)
    return value


def k_sig(a, digits, mode):
    x, count, rounding = read(a, "a"), read_count(digits, "digits", 1), read_mode(mode)
    return normal(rounded(Fraction(x), count - 1 - x.adjusted(), rounding)) if x else "0"


def short(text):
    if len(text) > MAX_TEXT:
        raise Failure(6)
    return text


def k_to_base(n, base):
    x, b = read_whole(n, "n"), read_count(base, "base", 2, 36)
    digits, rest = [], abs(x)
    while rest and len(digits) <= MAX_TEXT:
        rest, digit = divmod(rest, b)
        digits.append(BASE_DIGITS[digit])
    return short(("-" if x < 0 else "") + "".join(reversed(digits))) if x else "0"


def k_from_base(text, base):
    t = short("0" if text is None else text)
    b = read_count(base, "base", 2, 36)
    t = t.replace(" ", "").upper()
    sign, t = (-1, t[1:]) if t[:1] == "-" else (1, t[1:] if t[:1] == "+" else t)
    if not t or any(c not in BASE_DIGITS[:b] for c in t):
        raise Failure(5, "text")
    if (len(t.lstrip("0")) - 1) * math.log10(b) >= MAX_TEXT:
        raise Failure(6)
    return normal(Decimal(sign * int(t, b)))


def integer_root(n, k):
    """The floor of the k-th root of n >= 0: Newton's iteration from a start just above it."""
    if n < 2:
        return n
    log2 = math.log2(n) / k
    shift = max(0, int(log2) - 50)
    x = (int(2 ** (log2 - shift) * (1 + 1e-12)) + 2) << shift
    while (y := ((k - 1) * x + n // x ** (k - 1)) // k) < x:
        x = y
    return x


def k_root(a, n, places, mode):
    x, k, p = read(a, "a"), read_count(n, "n", 1), read_count(places, "places")
    rounding = read_mode(mode)
    if x < 0 and k % 2 == 0:
        raise Failure(5, "a")
    scale = max(0, -x.normalize(EXACT).as_tuple().exponent)
    whole = abs(int(EXACT.scaleb(x, scale)))
    exact = max(p + 1, -(-scale // k))
    if whole and len(str(whole)) - scale + k * exact > MAX_TEXT:
        raise Failure(6)
    power = whole * 10 ** (k * exact - scale)
    root = integer_root(power, k)
    near = Fraction((root * 10 + (root**k != power)) * (-1 if x < 0 else 1), 10 ** (exact + 1))
    return normal(rounded(near, p, rounding))


def constant(value, places, mode):
    """A constant of mpmath rounded to places digits, from 30 digits more."""
    p, rounding = read_count(places, "places"), read_mode(mode)
    if 2 * (p + 10) + 40 > MAX_TEXT:
        raise Failure(6)
    with mpmath.workdps(p + 50):
        cut = int(mpmath.floor(value() * mpmath.mpf(10) ** (p + 30)))
    rest = cut % 10**30
    if min(rest, 10**30 - rest, abs(rest - 5 * 10**29)) < 100:
        raise Undecided()
    return normal(rounded(Fraction(2 * cut + 1, 2 * 10 ** (p + 30)), p, rounding))


def is_prime(n):
    """Trial division, then strong probable prime tests to 30 random bases (not the module's)."""
    if n < 300**2 or any(n % p == 0 for p in range(2, 300)):
        return n > 1 and all(n % p for p in range(2, math.isqrt(n) + 1))
    s = ((n - 1) & (1 - n)).bit_length() - 1
    return all(y in (0, 1, n - 1) or any(pow(y, 2**r, n) == n - 1 for r in range(1, s))
               for y in (pow(a, (n - 1) >> s, n) for a in WITNESSES))


def k_next_prime(n):
    candidate = max(read_whole(n, "n"), 1) + 1
    while not is_prime(candidate):
        candidate += 1
    return str(candidate)


def k_frac(a, max_den):
    x, limit = Fraction(read(a, "a")), read_whole(max_den, "maxDen")
    if limit < 1:
        raise Failure(5, "maxDen")
    if limit > 1500:
        nearest = x.limit_denominator(limit)
    else:  # every denominator: the nearest, then the smaller q, then the smaller |p|
        num, den = x.numerator, x.denominator
        _, q, _, p = min((Fraction(abs(num * q - p * den), q), q, abs(p), p)
                         for q in range(1, limit + 1) for p in (num * q // den, num * q // den + 1))
        nearest = Fraction(p, q)
    return short(f"{nearest.numerator}/{nearest.denominator}")


FUNCTIONS.update({
    "KSig": k_sig, "KToBase": k_to_base, "KFromBase": k_from_base, "KRoot": k_root,
    "KPi": lambda places, mode: constant(lambda: +mpmath.pi, places, mode),
    "KE": lambda places, mode: constant(lambda: +mpmath.e, places, mode),
    "KIsPrime": lambda n: f"#{is_prime(read_whole(n, 'n'))}", "KNextPrime": k_next_prime,
    "KFrac": k_frac,
})


def transcendental(value, places, mode, exact=None, check=None):
    """value() rounded to places digits from mpmath, 30 digits past the place kept and more for
    whole digits; exact is the value as a Fraction when it is rational. check(p) raises the
    module's error 6 for its working limits before anything is computed."""
    p, rounding = read_count(places, "places"), read_mode(mode)
    if 2 * (p + 10) + 40 > MAX_TEXT:
        raise Failure(6)
    if check:
        check(p)
    if exact is not None:
        return normal(rounded(exact, p, rounding))
    with mpmath.workdps(30):
        rough = abs(value())
        whole = max(0, int(mpmath.log10(rough)) + 2) if rough else 0
    with mpmath.workdps(p + whole + 60):
        v = value()
        if abs(v) < mpmath.mpf(10) ** -(p + 5):  # rounds as any value so near zero does
            return normal(rounded(Fraction(-1 if v < 0 else 1, 10 ** (p + 5)), p, rounding))
        cut = int(mpmath.floor(abs(v) * mpmath.mpf(10) ** (p + 30)))
    rest = cut % 10**30
    if min(rest, 10**30 - rest, abs(rest - 5 * 10**29)) < 100:
        raise Undecided()
    return normal(rounded(Fraction((2 * cut + 1) * (-1 if v < 0 else 1), 2 * 10 ** (p + 30)),
                          p, rounding))


def positive(text, argument):
    x = read(text, argument)
    if x <= 0:
        raise Failure(5, argument)
    return Fraction(x)


def k_ln(a, places, mode):
    x = read(a, "a")
    read_count(places, "places"), read_mode(mode)
    x = positive(a, "a")
    return transcendental(lambda: mpmath.log(mpmath.mpf(x.numerator) / x.denominator), places,
                          mode, Fraction(0) if x == 1 else None)


def k_log(a, base, places, mode):
    read(a, "a"), read(base, "base"), read_count(places, "places"), read_mode(mode)
    x, b = positive(a, "a"), positive(base, "base")
    if b == 1:
        raise Failure(5, "base")
    value = lambda: mpmath.log(mpmath.mpf(x.numerator) / x.denominator) / \
        mpmath.log(mpmath.mpf(b.numerator) / b.denominator)
    with mpmath.workdps(40):
        guess = Fraction(str(mpmath.nstr(value(), 30))).limit_denominator(1000)
    exact = guess if abs(guess.numerator) <= 1000 and \
        x ** guess.denominator == b ** guess.numerator else None
    return transcendental(value, places, mode, exact)


def exponential(exponent, places):
    """Error 6 where KExp and KPower stop: a result of more than 32766 whole digits, or whole
    digits and places whose working numbers pass the limit."""
    digits = max(0, int(exponent / math.log(10)) + 1) if exponent < 10**6 else 10**6
    if exponent / math.log(10) >= MAX_TEXT or 2 * (places + 10 + 2 * digits + 12) + 40 > MAX_TEXT:
        raise Failure(6)


def k_exp(a, places, mode):
    x = read(a, "a")
    return transcendental(lambda: mpmath.exp(mpmath.mpf(str(x))), places, mode,
                          Fraction(1) if x == 0 else None, lambda p: exponential(float(x), p))


def k_power(a, b, places, mode):
    x, y = Fraction(read(a, "a")), Fraction(read(b, "b"))
    read_count(places, "places")
    read_mode(mode)
    if x == 0:
        if y < 0:
            raise Failure(11)
        return "1" if y == 0 else "0"
    if x < 0 and y.denominator != 1:
        raise Failure(5, "b")
    sign = -1 if x < 0 and y.numerator % 2 else 1
    root = integer_root(abs(x.numerator), y.denominator), integer_root(x.denominator, y.denominator)
    exact = None
    if Fraction(*root) ** y.denominator == abs(x) and abs(y.numerator) * len(str(x)) < 40000:
        exact = sign * Fraction(*root) ** y.numerator
    value = lambda: sign * mpmath.power(abs(mpmath.mpf(x.numerator) / x.denominator),
                                        mpmath.mpf(y.numerator) / y.denominator)
    estimate = float(y) * math.log(abs(x)) if abs(x) != 1 else 0.0
    return transcendental(value, places, mode, exact,
                          lambda p: exact is not None or exponential(estimate, p))


FUNCTIONS.update({
    "KLn": k_ln, "KLog10": lambda a, places, mode: k_log(a, "10", places, mode), "KLog": k_log,
    "KExp": k_exp, "KPower": k_power,
})


def k_angle(function, *texts):
    """KAtn(a), KAtan2(y, x), KAsin(a) and KAcos(a): arguments, places and mode as the module
    reads them; 0 exactly where the angle is 0."""
    *numbers, places, mode = texts
    values = [read(text, name) for text, name in zip(numbers, ("y", "x") if len(numbers) == 2 else ("a",))]
    read_count(places, "places"), read_mode(mode)
    if function == "KAtan2":
        y, x = values
        if x == 0 and y == 0:
            raise Failure(5, "x")
        zero, value = y == 0 and x > 0, lambda: mpmath.atan2(mpmath.mpf(str(y)), mpmath.mpf(str(x)))
    else:
        a = values[0]
        if function != "KAtn" and abs(a) > 1:
            raise Failure(5, "a")
        zero = a == (1 if function == "KAcos" else 0)
        value = lambda: getattr(mpmath, {"KAtn": "atan"}.get(function, function[1:].lower()))(
            mpmath.mpf(str(a)))
    return transcendental(value, places, mode, Fraction(0) if zero else None)


FUNCTIONS.update({name: (lambda name: lambda *texts: k_angle(name, *texts))(name)
                  for name in ("KAtn", "KAtan2", "KAsin", "KAcos")})


def k_trig(function, a, places, mode):
    """KSin, KCos and KTan of a in radians: exact only at 0; error 6 where the whole digits of a
    and places pass the module's working limit."""
    x = read(a, "a")
    read_count(places, "places"), read_mode(mode)
    whole = len(str(abs(int(x)))) if abs(x) >= 1 else 0

    def check(p):
        if x != 0 and 2 * (p + 10 + whole + 30) + 40 > MAX_TEXT:
            raise Failure(6)

    def value():  # the argument needs its whole digits besides the digits of the result
        with mpmath.extradps(whole + 10):
            return +getattr(mpmath, function[1:].lower())(mpmath.mpf(str(x)))

    exact = Fraction(int(function == "KCos")) if x == 0 else None
    return transcendental(value, places, mode, exact, check)


FUNCTIONS.update({name: (lambda name: lambda *texts: k_trig(name, *texts))(name)
                  for name in ("KSin", "KCos", "KTan")})


# KEval: a formula evaluated with mpmath at places + 200 digits. A value within 10^-(places + 120)
# of what decides a step (a rounding boundary, a whole number, 0, 1 or -1) is taken to be on it,
# as KEval's bounds are on their last try; one within 10^-(places + 60) but not that near is
# Undecided, and left out.
FORMULA_TOKEN = re.compile(r"\d+\.?\d*|\.\d+|[A-Za-z][A-Za-z0-9_]*|\S")
HALF_MODES = (ROUND_HALF_UP, ROUND_HALF_EVEN, ROUND_HALF_DOWN)


def k_eval(formula, places, mode):
    p, rounding = read_count(places, "places"), read_mode(mode)
    tokens = FORMULA_TOKEN.findall(formula) + [""]
    at = 0
    mpf = mpmath.mpf
    tight, loose = mpf(10) ** -(p + 120), mpf(10) ** -(p + 60)

    def sign(v):  # 0 for a v taken as 0
        if abs(v) < tight:
            return 0
        if abs(v) < loose:
            raise Undecided()
        return 1 if v > 0 else -1

    def whole(v):
        n = int(mpmath.nint(v))
        if sign(v - n):
            raise Failure(5)
        return n

    def decide(v, q, rounding):  # v rounded to q places, the boundary value when v is on one
        s = v * mpf(10) ** q
        b = mpmath.floor(s) + mpf(0.5) if rounding in HALF_MODES else mpmath.nint(s)
        if sign((s - b) / mpf(10) ** q) == 0:
            exact = Fraction(int(2 * b), 2)
        else:
            cut = int(mpmath.floor(abs(s) * mpf(10) ** 80))
            exact = Fraction((2 * cut + 1) * (-1 if s < 0 else 1), 2 * 10**80)
        return rounded(exact / Fraction(10) ** q, q, rounding)

    def large(v):
        if v != 0 and mpmath.log10(abs(v)) > 100000:
            raise Failure(6)
        return v

    def divide(a, b):
        if sign(b) == 0:
            raise Failure(11)
        return a / b

    def power(x, y):
        if sign(x) > 0:
            return large(mpmath.power(x, y))
        n = int(mpmath.nint(y))
        if sign(y - n) == 0:
            if sign(x) == 0:
                if n < 0:
                    raise Failure(5)
                return mpf(int(n == 0))
            return large(x**n)
        if sign(x) < 0 or y < 0:
            raise Failure(5)
        return mpf(0)

    def root(a, n):
        n = whole(n)
        if n < 1 or (sign(a) < 0 and n % 2 == 0):
            raise Failure(5)
        return mpmath.sign(a) * mpmath.root(abs(a), n) if sign(a) else mpf(0)

    def positive(a):
        if sign(a) <= 0:
            raise Failure(5)
        return a

    def log(a, base):
        if sign(base) <= 0 or sign(base - 1) == 0:
            raise Failure(5)
        return mpmath.ln(positive(a)) / mpmath.ln(base)

    def unit(a):  # an argument of asin or acos
        if abs(a) > 1 and sign(abs(a) - 1):
            raise Failure(5)
        return max(mpf(-1), min(mpf(1), a))

    def tan(a):
        if sign(mpmath.cos(a)) == 0:
            raise Failure(5)
        return mpmath.tan(a)

    def atan2(y, x):
        if sign(y) == 0 and sign(x) <= 0:
            if sign(x) == 0:
                raise Failure(5)
            return +mpmath.pi
        return mpmath.atan2(y, x)

    def naturals(*values):
        numbers = [whole(v) for v in values]
        if min(numbers) < 0:
            raise Failure(5)
        return numbers

    def quot(a, b):
        a, b = whole(a), whole(b)
        if b == 0:
            raise Failure(11)
        return mpf((abs(a) // abs(b)) * (-1 if (a < 0) != (b < 0) else 1))

    functions = {
        "sqrt": lambda a: root(a, 2), "root": root, "exp": lambda a: large(mpmath.exp(a)),
        "ln": lambda a: mpmath.ln(positive(a)), "log10": lambda a: mpmath.log10(positive(a)),
        "log": log, "sin": mpmath.sin, "cos": mpmath.cos, "tan": tan, "atan": mpmath.atan,
        "asin": lambda a: mpmath.asin(unit(a)), "acos": lambda a: mpmath.acos(unit(a)),
        "atan2": atan2, "abs": abs,
        "fact": lambda n: large(mpf(math.factorial(*naturals(n)))),
        "binom": lambda n, k: mpf(math.comb(*naturals(n, k))),
        "gcd": lambda a, b: mpf(math.gcd(whole(a), whole(b))),
        "lcm": lambda a, b: mpf(math.lcm(whole(a), whole(b))),
        "quot": quot, "mod": lambda a, b: a - b * quot(a, b),
        "round": lambda a, q, m=ROUND_HALF_UP: mpf(str(decide(a, whole(q), m))),
    }

    def peek():
        return tokens[at]

    def take():
        nonlocal at
        at += 1
        return tokens[at - 1]

    def total():
        v = product()
        while peek() in ("+", "-"):
            v = v + product() if take() == "+" else v - product()
        return v

    def product():
        v = signed()
        while peek() in ("*", "/"):
            v = v * signed() if take() == "*" else divide(v, signed())
        return v

    def signed():
        if peek() in ("+", "-"):
            return signed() if take() == "+" else -signed()
        v = operand()
        if peek() == "^":
            take()
            return power(v, signed())
        return v

    def operand():
        token = take()
        if token == "(":
            v = total()
            take()
            return v
        if token[0] in "0123456789.":
            return mpf(token)
        name = token.lower()
        if name in ("pi", "e"):
            return +getattr(mpmath, name)
        take()
        args = [total()]
        while take() == ",":
            args.append(read_mode(take()) if name == "round" and len(args) == 2 else total())
        return functions[name](*args)

    with mpmath.workdps(p + 200):
        return normal(decide(total(), p, rounding))
