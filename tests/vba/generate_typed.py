"""Writes VBScript checks of KestrumMath with arguments of every VBScript type.

Each argument is a VBScript expression (CByte(7), 0.1 + 0.2, CCur(1.5), Empty, Null, a cell
object, an array, ...) together with the text the module must read from it, as VB writes the
number with the invariant locale: a Double to 15 significant digits, a Single to 7, a Currency
to 4 decimals, an exponent refused. The expected outcomes come from oracle.py on those texts;
the same checks must pass under any locale. Written after types_support.vbs.

    generate_typed.py OUT_VBS
"""

import random
import struct
import sys
from decimal import Decimal

import oracle

# A text that the oracle refuses as the module refuses a value of a type that is not a number.
REFUSED = "#refused"


class Typed:
    def __init__(self, vbs, text):
        self.vbs = vbs
        self.text = text


def double(vbs, value):
    """A Double as VB writes it: 15 significant digits, an exponent outside 1E-4 ... 1E15."""
    text = format(value, ".15g")
    return Typed(vbs, REFUSED if "e" in text else text)


def single(vbs, value):
    rounded = struct.unpack("f", struct.pack("f", value))[0]
    text = format(rounded, ".7g")
    return Typed(vbs, REFUSED if "e" in text else text)


def currency(vbs, value):
    return Typed(vbs, oracle.normal(Decimal(format(value, ".15g")).quantize(Decimal("0.0001"))))


def is_small(text):
    """Whether a value may stand for places or an exponent here: no more than 1000 in size."""
    try:
        return abs(oracle.read(text, "n")) <= 1000
    except oracle.Failure:
        return True


def vbs_text(text):
    return '"' + text.replace('"', '""') + '"'


NUMBERS = [
    Typed("CByte(0)", "0"), Typed("CByte(255)", "255"), Typed("CInt(-32768)", "-32768"),
    Typed("CInt(7)", "7"), Typed("12", "12"), Typed("CLng(2147483647)", "2147483647"),
    Typed("CLng(-2147483648)", "-2147483648"), Typed("100000", "100000"),
    double("1.5", 1.5), double("-2.25", -2.25), double("0.1 + 0.2", 0.1 + 0.2),
    double("1 / 3", 1 / 3), double("-2 / 3", -2 / 3), double("1E15 - 1", 1e15 - 1),
    double("1E15", 1e15), double("1E+20", 1e20), double("0.0001", 0.0001),
    double("0.00001", 0.00001), double("-1.5E-3", -1.5e-3), double("123456.789", 123456.789),
    double("CDbl(0)", 0.0), double("2.5", 2.5), double("1E14 + 0.25", 1e14 + 0.25),
    single("CSng(0.1)", 0.1), single("CSng(1.5)", 1.5), single("CSng(1 / 3)", 1 / 3),
    single("CSng(16777217)", 16777217.0), single("CSng(-2.5E-3)", -2.5e-3),
    currency("CCur(1.5)", 1.5), currency("CCur(-0.0001)", -0.0001),
    currency("CCur(123456789.1234)", 123456789.1234),
    currency("CCur(922337203685477)", 922337203685477),
    Typed("CCur(2.5) * CCur(2)", "5"),
    Typed("Empty", None), Typed('" 1 234.5 "', " 1 234.5 "), Typed('"-0.0"', "-0.0"),
    Typed('"12a"', "12a"),
    Typed('Cell("12.50")', "12.50"), Typed("Cell(2.5)", "2.5"), Typed("Cell(Empty)", None),
    Typed("Cell(CCur(0.25))", "0.25"), Typed("Cell(CInt(-4))", "-4"),
]
REFUSED_VALUES = [
    Typed("Null", REFUSED), Typed("True", REFUSED), Typed("False", REFUSED),
    Typed("#1/31/2024#", REFUSED), Typed("Array(1, 2)", REFUSED), Typed("Nothing", REFUSED),
    Typed("New NoDefault", REFUSED), Typed("Cell(Null)", REFUSED), Typed("Cell(True)", REFUSED),
    Typed("Cell(Array(1))", REFUSED), Typed("Cell(1E+20)", REFUSED),
]
TYPED = NUMBERS + REFUSED_VALUES


class Checks:
    def __init__(self):
        self.lines = []

    def add(self, function, arguments, expected=None):
        """A check of function on Typed arguments; the oracle gives the expectation."""
        call = f"{function}({', '.join(argument.vbs for argument in arguments)})"
        if expected is None:
            expected = oracle.expect(function, *(argument.text for argument in arguments))
        self.lines.append(
            f"Err.Clear : got = Empty : got = {call} : Verify {vbs_text(call)}, got, "
            f"Err.Number, Err.Description, Err.Source, {vbs_text(expected)}")


def text(value):
    return Typed(vbs_text(value), value)


def members_array(members):
    return Typed(f"Array({', '.join(member.vbs for member in members)})", None)


def main():
    rng = random.Random(1208)
    checks = Checks()
    for value in TYPED:
        checks.add("KNorm", [value])
        checks.add("KNeg", [value])
    for first in TYPED:
        for second in TYPED:
            checks.add(rng.choice(["KAdd", "KSub", "KMul", "KCmp"]), [first, second])

    # Whole numbers, places and modes of every type; a mode from a cell.
    for value in [value for value in TYPED if is_small(value.text)]:
        checks.add("KQuot", [value, Typed("CInt(3)", "3")])
        checks.add("KMod", [Typed("CLng(-100)", "-100"), value])
        checks.add("KGcd", [value, Typed("CCur(18)", "18")])
        checks.add("KPow", [Typed("1.5", "1.5"), value])
        checks.add("KDiv", [Typed("1", "1"), Typed("CDbl(7)", "7"), value, Typed("Empty", None)])
        checks.add("KRound", [Typed("-2.5", "-2.5"), value, Typed('Cell("")', "")])
    small = [Typed("CByte(20)", "20"), Typed("CDbl(10)", "10"), Typed("Cell(CCur(6))", "6"),
             Typed("Empty", None), Typed("CInt(-1)", "-1"), Typed("2.5", "2.5")]
    for value in small + REFUSED_VALUES:
        checks.add("KFact", [value])
        checks.add("KBinom", [value, Typed("CLng(3)", "3")])
        checks.add("KModPow", [Typed("CLng(-7)", "-7"), value, Typed("CInt(13)", "13")])
        checks.add("KSqrt", [Typed("CSng(2)", "2"), value, Typed('"DOWN"', "DOWN")])
    modes = [text("half_even"), text(""), Typed("Empty", None), Typed('Cell("Floor")', "Floor"),
             Typed("Cell(Empty)", None), Typed("Null", REFUSED), Typed("CInt(1)", REFUSED),
             Typed("New NoDefault", REFUSED), text("HALF")]
    for mode in modes:
        checks.add("KDiv", [Typed("CDbl(-2.5)", "-2.5"), Typed("CInt(1)", "1"), Typed("0", "0"),
                            mode])
        checks.add("KRound", [Typed("Cell(0.125)", "0.125"), Typed("CByte(2)", "2"), mode])
        checks.add("KSqrt", [Typed("CCur(0.25)", "0.25"), Typed("Empty", None), mode])
    for divisor in (Typed("CInt(0)", "0"), Typed("0.0", "0"), Typed("Empty", None),
                    Typed("Cell(0)", "0"), Typed('"-0.000"', "-0.000")):
        checks.add("KDiv", [Typed("1", "1"), divisor, Typed("2", "2"), Typed("Empty", None)])
        checks.add("KQuot", [Typed("7", "7"), divisor])
        checks.add("KMod", [Typed("7", "7"), divisor])

    # Significant digits, bases, roots, constants, primes and fractions.
    for value in [value for value in TYPED if is_small(value.text)]:
        checks.add("KSig", [value, Typed("CInt(2)", "2"), Typed('Cell("down")', "down")])
        checks.add("KSig", [Typed('"123.456"', "123.456"), value, Typed("Empty", None)])
        checks.add("KToBase", [value, Typed("CByte(16)", "16")])
        checks.add("KFromBase", [value, Typed("CDbl(10)", "10")])
        checks.add("KRoot", [Typed("CDbl(2)", "2"), Typed("CInt(3)", "3"), value, text("")])
        checks.add(rng.choice(["KPi", "KE"]), [value, Typed("Empty", None)])
        checks.add("KNextPrime", [value])
        checks.add("KFrac", [value, Typed("CLng(100)", "100")])
    for value in [value for value in TYPED if is_small(value.text)]:
        checks.add(rng.choice(["KLn", "KLog10", "KExp"]), [value, Typed("CInt(5)", "5"), text("")])
        checks.add("KLog", [Typed("CDbl(8)", "8"), value, Typed("CByte(3)", "3"), text("UP")])
        checks.add("KPower", [value, Typed("CCur(0.5)", "0.5"), Typed("CLng(4)", "4"), text("")])
        checks.add(rng.choice(["KAtn", "KAsin", "KAcos"]), [value, Typed("CInt(5)", "5"), text("")])
        checks.add("KAtan2", [value, Typed("CDbl(-0.5)", "-0.5"), Typed("CByte(3)", "3"), text("UP")])
        checks.add(rng.choice(["KSin", "KCos", "KTan"]), [value, Typed("CInt(5)", "5"), text("")])
    for value in small + REFUSED_VALUES:
        checks.add(rng.choice(["KLn", "KLog10", "KExp"]), [Typed("CSng(2.5)", "2.5"), value, text("")])
        checks.add("KPower", [Typed("CInt(2)", "2"), Typed("CDbl(1.5)", "1.5"), value, Typed("Empty", None)])
    for value in small + REFUSED_VALUES:
        checks.add("KToBase", [Typed("CLng(255)", "255"), value])
        checks.add("KRoot", [Typed("CCur(27)", "27"), value, Typed("CByte(2)", "2"), text("UP")])
        checks.add("KFrac", [Typed("CDbl(0.3)", "0.3"), value])
    for mode in modes:
        checks.add("KSig", [Typed("CDbl(-2.5)", "-2.5"), Typed("CInt(1)", "1"), mode])
        checks.add("KRoot", [Typed("CSng(3.375)", "3.375"), Typed("3", "3"), Typed("0", "0"), mode])
        checks.add(rng.choice(["KPi", "KE"]), [Typed("CByte(3)", "3"), mode])

    # Lists with Empty members and texts of blanks, as arrays, grids and ranges.
    listed = NUMBERS + [text(""), text("   ")]
    for _ in range(150):
        members = [rng.choice(listed) for _ in range(rng.randint(0, 7))]
        texts = [member.text for member in members]
        for function in ("KSum", "KProduct"):
            checks.add(function, [members_array(members)], oracle.expect(function, *texts))
        if len(members) in (4, 6):
            shape = (2, len(members) // 2)
            grid = Typed(f"Grid({shape[0]}, {shape[1]}, {members_array(members).vbs})", None)
            for function in ("KSum", "KProduct"):
                checks.add(function, [grid], oracle.expect(function, *texts))
                checks.add(function, [Typed(f"Cell({grid.vbs})", None)],
                           oracle.expect(function, *texts))
    for single_value in (Typed("Empty", None), text("  "), text(""), Typed("CDbl(2.5)", "2.5"),
                         Typed("Cell(Empty)", None), Typed('Cell("7")', "7")):
        for function in ("KSum", "KProduct"):
            members = [] if single_value.text is None else [single_value.text]
            checks.add(function, [single_value], oracle.expect(function, *members))
    for refused in REFUSED_VALUES:
        checks.add("KSum", [members_array([text("1"), Typed("Empty", None), refused])],
                   "error 5 values")
    checks.add("KSum", [Typed("Array(Array(1))", None)], "error 5 values")

    # Lengths: the module's own limit and an overflow that Kestrum.Arithm reports.
    checks.add("KNorm", [Typed('String(32767, "1")', None)], "error 6 KestrumMath")
    checks.add("KMul", [Typed('String(16383, "9")', None), Typed('String(16384, "9")', None)],
               "error 6 Kestrum.Arithm")
    checks.add("KNorm", [Typed('String(32766, "1")', None)], "1" * 32766)

    with open(sys.argv[1], "w", encoding="ascii", newline="\n") as out:
        for line in checks.lines:
            out.write(line + "\n")
        out.write(f'If checks <> {len(checks.lines)} Then checkFailures = checkFailures + 1 : '
                  f'WScript.Echo "MISMATCH: " & checks & " of {len(checks.lines)} checks ran"\n')
        out.write("Summary\n")


if __name__ == "__main__":
    main()
