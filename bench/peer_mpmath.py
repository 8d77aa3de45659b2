# mpmath's time for one function value with its decimal text, for calc_function_timing: argv is
# digits, rounds, then "name:argument" cases; prints one line of milliseconds per case (best of
# the rounds, after a warm-up call).
import sys
import time

import mpmath

digits, rounds = int(sys.argv[1]), int(sys.argv[2])
mpmath.mp.dps = digits
for case in sys.argv[3:]:
    name, argument = case.split(":")
    function = getattr(mpmath, name)
    x = mpmath.mpf(argument)
    mpmath.nstr(function(x), digits)
    best = float("inf")
    for _ in range(rounds):
        start = time.perf_counter()
        mpmath.nstr(function(x), digits)
        best = min(best, time.perf_counter() - start)
    print(f"{best * 1000:.3f}")
