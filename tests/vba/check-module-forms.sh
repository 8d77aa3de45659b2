#!/usr/bin/env bash
# Checks the two forms of the KestrumMath module that the build writes: every line ends in CRLF
# and holds ASCII only (the VBA editor imports a .bas as ANSI text), and the .vbs differs from
# the .bas by exactly the build step's changes, in this order.
#   check-module-forms.sh KestrumMath.bas KestrumMath.vbs
set -euo pipefail
bas=$1
vbs=$2
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

for file in "$bas" "$vbs"; do
    [ -s "$file" ] || fail "$file is empty"
    if grep -q -v $'\r$' "$file"; then
        fail "$file has a line without CR before its LF"
    fi
    if LC_ALL=C grep -q -P '[^\x00-\x7F]' "$file"; then
        fail "$file holds a character outside ASCII"
    fi
done
[ "$(head -n 1 "$bas" | tr -d '\r')" = 'Attribute VB_Name = "KestrumMath"' ] ||
    fail "the .bas does not begin with its Attribute line"

changes=$(diff --unchanged-line-format= --old-line-format='bas: %L' --new-line-format='vbs: %L' \
    "$bas" "$vbs" | tr -d '\r' || true)
expected='bas: Attribute VB_Name = "KestrumMath"
bas: Public Function KDiv(a, b, places, Optional mode = "HALF_UP")
vbs: Public Function KDiv(a, b, places, mode)
bas: Public Function KRound(a, places, Optional mode = "HALF_UP")
vbs: Public Function KRound(a, places, mode)
bas: Public Function KSqrt(a, places, Optional mode = "HALF_UP")
vbs: Public Function KSqrt(a, places, mode)
bas: Public Function KSig(a, digits, Optional mode = "HALF_UP")
vbs: Public Function KSig(a, digits, mode)
bas: Public Function KRoot(a, n, places, Optional mode = "HALF_UP")
vbs: Public Function KRoot(a, n, places, mode)
bas: Public Function KPi(places, Optional mode = "HALF_UP")
vbs: Public Function KPi(places, mode)
bas: Public Function KE(places, Optional mode = "HALF_UP")
vbs: Public Function KE(places, mode)
bas: Public Function KLn(a, places, Optional mode = "HALF_UP")
vbs: Public Function KLn(a, places, mode)
bas: Public Function KLog10(a, places, Optional mode = "HALF_UP")
vbs: Public Function KLog10(a, places, mode)
bas: Public Function KLog(a, base, places, Optional mode = "HALF_UP")
vbs: Public Function KLog(a, base, places, mode)
bas: Public Function KExp(a, places, Optional mode = "HALF_UP")
vbs: Public Function KExp(a, places, mode)
bas: Public Function KPower(a, b, places, Optional mode = "HALF_UP")
vbs: Public Function KPower(a, b, places, mode)
bas: Public Function KAtn(a, places, Optional mode = "HALF_UP")
vbs: Public Function KAtn(a, places, mode)
bas: Public Function KAtan2(y, x, places, Optional mode = "HALF_UP")
vbs: Public Function KAtan2(y, x, places, mode)
bas: Public Function KAsin(a, places, Optional mode = "HALF_UP")
vbs: Public Function KAsin(a, places, mode)
bas: Public Function KAcos(a, places, Optional mode = "HALF_UP")
vbs: Public Function KAcos(a, places, mode)
bas: Public Function KSin(a, places, Optional mode = "HALF_UP")
vbs: Public Function KSin(a, places, mode)
bas: Public Function KCos(a, places, Optional mode = "HALF_UP")
vbs: Public Function KCos(a, places, mode)
bas: Public Function KTan(a, places, Optional mode = "HALF_UP")
vbs: Public Function KTan(a, places, mode)
bas: Public Function KEval(expr, places, Optional mode = "HALF_UP")
vbs: Public Function KEval(expr, places, mode)'
[ "$changes" = "$expected" ] || fail "the .vbs differs from the .bas by:
$changes"

[ "$failures" -eq 0 ] && echo "module forms: 0 failed checks"
exit "$failures"
