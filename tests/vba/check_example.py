"""Runs the KestrumMath example and checks each line it prints against Python's arithmetic.

    check_example.py COMMAND...    (the command that runs examples/kestrum_math.vbs)
"""

import math
import re
import subprocess
import sys
from decimal import Decimal, ROUND_HALF_UP, localcontext

import oracle


def iban_number(iban):
    """The IBAN as ISO 13616 reads it: first four characters last, letters as 10 ... 35."""
    text = iban.replace(" ", "").upper()
    return int("".join(str(int(c, 36)) for c in text[4:] + text[:4]))


def seventh():
    with localcontext() as context:
        context.prec = 200
        return str((Decimal(1) / Decimal(7)).quantize(Decimal(1).scaleb(-100), ROUND_HALF_UP))


def checks(output):
    """Each expected line as (description, pattern, check of the match)."""
    def remainder_line(match):
        remainder = iban_number(match[1]) % 97
        verdict = "valid" if remainder == 1 else "not valid"
        return match[2] == str(remainder) and match[3] == verdict

    def check_digits_line(match):
        base = iban_number(match[1][:2] + "00" + match[1][4:])
        return match[2] == f"{98 - base % 97:02d}"

    return [
        ("IBAN remainder", r"IBAN ([A-Z0-9 ]+): remainder (\d+), (valid|not valid)$",
         remainder_line),
        ("IBAN check digits", r"IBAN ([A-Z0-9 ]+): check digits (\d\d)$", check_digits_line),
        ("1/7", r"1/7 to 100 places: (\S+)$", lambda match: match[1] == seventh()),
        ("100!", r"100! = (\d+)$", lambda match: match[1] == str(math.factorial(100))),
        ("pi", r"pi to 1000 places: (\S+)$",
         lambda match: match[1] == oracle.expect("KPi", "1000", "HALF_UP")),
        ("2^127 - 1", r"2\^127 - 1 = (\d+): (prime|not prime)$",
         lambda match: int(match[1]) == 2**127 - 1 and
         (match[2] == "prime") == oracle.is_prime(2**127 - 1)),
    ]


def main():
    output = subprocess.run(sys.argv[1:], capture_output=True, text=True, check=False).stdout
    print(output, end="")
    lines = output.splitlines()
    failures = 0
    for description, pattern, check in checks(output):
        matches = [re.match(pattern, line) for line in lines]
        matches = [match for match in matches if match]
        if len(matches) != 1 or not check(matches[0]):
            print(f"FAILED: {description}: {[match[0] for match in matches]}")
            failures += 1
    if len(lines) != 6:
        print(f"FAILED: the example printed {len(lines)} lines, not 6")
        failures += 1
    print(f"kestrum_math example: {failures} failed checks")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
