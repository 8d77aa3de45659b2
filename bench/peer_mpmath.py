# mpmath's time for one function value with its decimal text, for calc_function_timing: argv is
# digits, rounds, then "name:argument" cases (the argument a decimal, or a Python expression over
# mpf, pi and sqrt evaluated before the timing); prints one line of milliseconds per case (best
# of the rounds, after a warm-up call).
import sys
import time

import mpmath

digits, rounds = int(sys.argv[1]), int(sys.argv[2])
mpmath.mp.dps = digits
for case in sys.argv[3:]:
    name, argument = case.split(":")
    function = getattr(mpmath, name)
    if argument.lstrip("-").replace(".", "", 1).isdigit():
        x = mpmath.mpf(argument)
    else:
        x = mpmath.mpf(eval(argument, {"mpf": mpmath.mpf, "pi": mpmath.pi, "sqrt": mpmath.sqrt}))
    mpmath.nstr(function(x), digits)
    best = float("inf")
    for _ in range(rounds):
        start = time.perf_counter()
        mpmath.nstr(function(x), digits)
        best = min(best, time.perf_counter() - start)
    print(f"{best * 1000:.3f}")
