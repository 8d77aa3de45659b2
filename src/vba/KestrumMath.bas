Attribute VB_Name = "KestrumMath"
' KestrumMath: exact decimal arithmetic on number texts for Excel, Word, Access and VBScript,
' built on the eight methods of Kestrum.Arithm.
'
' Every Public function works as a worksheet function (=KDIV(A1, B1, 30)) and from code. A
' number argument may be a text ("-123.456", blanks ignored), an Integer, Long, LongLong, Byte,
' Single, Double, Currency or Decimal (read with the invariant locale, a Double to 15 significant
' digits), Empty (read as 0) or an object whose default property gives one of these (a cell).
' Text results are in normal form: "-" only for a negative value, no leading zeros, no point
' without fraction digits, no trailing zeros after the point.
'
' Errors: 5 for an argument that is not accepted (the description names the function and the
' argument), 11 for a division by zero, 6 for a number text or result longer than 32766
' characters; errors of Kestrum.Arithm pass through unchanged.
'
' The code is written in the subset of VBA that VBScript shares; KestrumMath.vbs is this file
' without its Attribute line and without the Optional defaults of the rounding modes.
Option Explicit

Private kestrumArithm
' The odd primes below KM_SIEVE_LIMIT and products of runs of them, made on first use.
Private kmPrimes, kmGroupProducts, kmGroupFirst
' ln 10 to kmLnTenDigits digits, kept once computed.
Private kmLnTen, kmLnTenDigits
' Pi to kmPiDigits digits, kept once computed.
Private kmPiText, kmPiDigits
' KEval's work: the formula's tokens and the next one's index, the parentheses open while it is
' read; the fraction digits kept while it is evaluated, and whether this is the last try.
Private kmTokens, kmTokenAt, kmNesting, kmEvalDigits, kmEvalAtLimit

Private Const KM_SOURCE = "KestrumMath"
Private Const KM_MAX_TEXT = 32766
' The largest n whose n! has at most 32766 digits.
Private Const KM_MAX_FACTORIAL = 9273
' C(n, k) >= 2^k for k <= n / 2, and 2^108847 has more than 32766 digits.
Private Const KM_MAX_BINOMIAL_K = 108846
' Chunks of small factors are multiplied as Long values below this bound.
Private Const KM_MAX_LONG = 2147483647
' Digits of the bases 2 ... 36.
Private Const KM_BASE_DIGITS = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"
' Digits computed past places first for a value known only to a bound (KPi, KE).
Private Const KM_GUARD = 10
' Trial division uses the odd primes below 1000 (167 of them), KNextPrime's sieve those below
' KM_SIEVE_LIMIT.
Private Const KM_TRIAL_PRIMES = 167
Private Const KM_SIEVE_LIMIT = 4000
' Below this bound the strong probable prime tests to the prime bases 2 ... 41 prove primality.
Private Const KM_MR_BOUND = "3317044064679887385961981"
' Letters that start a name in a KEval formula.
Private Const KM_LETTERS = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
' The most nodes from a KEval formula's root to a leaf, and the most parentheses open at once:
' deeper formulas would pass the call stack of VBScript (1000 levels do under Wine).
Private Const KM_EVAL_DEPTH = 400
' The most places a function's result is computed to while KEval looks for its first digits.
Private Const KM_EVAL_MOST = 8000
' KEval's signal that its bounds cannot decide a step: vbObjectError + 513.
Private Const KM_EVAL_MORE = -2147220991

' ---------------------------------------------------------------------------------------------
' Worksheet and code functions
' ---------------------------------------------------------------------------------------------

' a + b
Public Function KAdd(a, b)
    Dim x, xs, y, ys
    KmStart
    KmRead "KAdd", "a", a, x, xs
    KmRead "KAdd", "b", b, y, ys
    KmAlign x, xs, y, ys
    KAdd = KmFormat(kestrumArithm.iadd(x, y), xs)
End Function

' a - b
Public Function KSub(a, b)
    Dim x, xs, y, ys
    KmStart
    KmRead "KSub", "a", a, x, xs
    KmRead "KSub", "b", b, y, ys
    KmAlign x, xs, y, ys
    KSub = KmFormat(kestrumArithm.isub(x, y), xs)
End Function

' a * b
Public Function KMul(a, b)
    Dim x, xs, y, ys
    KmStart
    KmRead "KMul", "a", a, x, xs
    KmRead "KMul", "b", b, y, ys
    KMul = KmFormat(kestrumArithm.imult(x, y), xs + ys)
End Function

' a / b rounded to places fraction digits (places >= 0).
Public Function KDiv(a, b, places, Optional mode = "HALF_UP")
    Dim x, xs, y, ys, p, md
    KmStart
    KmRead "KDiv", "a", a, x, xs
    KmRead "KDiv", "b", b, y, ys
    p = KmReadCount("KDiv", "places", places)
    If p < 0 Then KmRefuse "KDiv", "places", "is negative"
    md = KmMode("KDiv", mode)
    If y = "0" Then KmDivisionByZero "KDiv"
    KDiv = KmDivide(x, xs, y, ys, p, md)
End Function

' x / 10^xs divided by y / 10^ys (y not 0), rounded to p >= 0 fraction digits in mode md.
Private Function KmDivide(x, xs, y, ys, p, md)
    Dim neg, shift, q, r, er, half
    neg = KmIsNegative(x) Xor KmIsNegative(y)
    x = KmMagnitude(x)
    y = KmMagnitude(y)
    ' x / 10^xs / (y / 10^ys) * 10^p = (x * 10^(ys + p - xs)) / y
    shift = ys + p - xs
    If shift >= 0 Then x = KmShift(x, shift) Else y = KmShift(y, -shift)
    q = "" : r = "" : er = 0
    kestrumArithm.idiv x, y, q, r, er
    half = -1
    If r <> "0" Then half = kestrumArithm.icomp(kestrumArithm.iadd(r, r), y)
    KmDivide = KmFinish(q, neg, KmRoundsAway(md, neg, half, r <> "0", q), p)
End Function

' The integer quotient of a and b, truncated toward zero.
Public Function KQuot(a, b)
    Dim x, y, q, r, er
    KmStart
    x = KmReadWhole("KQuot", "a", a)
    y = KmReadWhole("KQuot", "b", b)
    If y = "0" Then KmDivisionByZero "KQuot"
    q = "" : r = "" : er = 0
    kestrumArithm.idiv KmMagnitude(x), KmMagnitude(y), q, r, er
    KQuot = KmSigned(q, KmIsNegative(x) Xor KmIsNegative(y))
End Function

' a - b * KQuot(a, b): the remainder with the sign of a, as the Mod operator gives it.
Public Function KMod(a, b)
    Dim x, y, q, r, er
    KmStart
    x = KmReadWhole("KMod", "a", a)
    y = KmReadWhole("KMod", "b", b)
    If y = "0" Then KmDivisionByZero "KMod"
    q = "" : r = "" : er = 0
    kestrumArithm.idiv KmMagnitude(x), KmMagnitude(y), q, r, er
    KMod = KmSigned(r, KmIsNegative(x))
End Function

' -1, 0 or 1 as a is less than, equal to or greater than b.
Public Function KCmp(a, b)
    Dim x, xs, y, ys
    KmStart
    KmRead "KCmp", "a", a, x, xs
    KmRead "KCmp", "b", b, y, ys
    KmAlign x, xs, y, ys
    KCmp = kestrumArithm.icomp(x, y)
End Function

' a rounded to places fraction digits; a negative places rounds to tens, hundreds, ...
Public Function KRound(a, places, Optional mode = "HALF_UP")
    Dim x, xs, p, md
    KmStart
    KmRead "KRound", "a", a, x, xs
    p = KmReadCount("KRound", "places", places)
    md = KmMode("KRound", mode)
    KRound = KmRoundTo(x, xs, p, md)
End Function

' a to the power n, for a whole n >= 0.
Public Function KPow(a, n)
    Dim x, xs, e, d, count
    KmStart
    KmRead "KPow", "a", a, x, xs
    e = KmReadWhole("KPow", "n", n)
    If KmIsNegative(e) Then KmRefuse "KPow", "n", "is negative"
    d = KmMagnitude(x)
    If d = "0" Then
        If e = "0" Then KPow = "1" Else KPow = "0"
        Exit Function
    End If
    If d = "1" And xs = 0 Then
        KPow = KmSigned("1", KmIsNegative(x) And KmIsOdd(e))
        Exit Function
    End If
    ' Any other base has a power longer than a number text may be once n has ten digits or,
    ' with fraction digits, once n exceeds the longest text.
    If Len(e) > 9 Then KmTooLong "KPow"
    count = CLng(e)
    If xs > 0 And count > KM_MAX_TEXT Then KmTooLong "KPow"
    KPow = KmFormat(KmPower(x, count), xs * count)
End Function

' The square root of a >= 0, rounded to places fraction digits (places >= 0).
Public Function KSqrt(a, places, Optional mode = "HALF_UP")
    Dim x, xs, p, md, exact, root, r, dropped, q, half, inexact
    KmStart
    KmRead "KSqrt", "a", a, x, xs
    p = KmReadCount("KSqrt", "places", places)
    If p < 0 Then KmRefuse "KSqrt", "places", "is negative"
    md = KmMode("KSqrt", mode)
    If KmIsNegative(x) Then KmRefuse "KSqrt", "a", "is negative"
    ' The root is cut to exact places: places, or more when a has over 2 * places fraction
    ' digits, so that a * 10^(2 * exact) is whole. What is cut off then decides the rounding.
    exact = p
    If xs > 2 * p Then exact = (xs + 1) \ 2
    x = KmShift(x, 2 * exact - xs)
    root = KmIsqrt(x)
    r = kestrumArithm.isub(x, kestrumArithm.imult(root, root))
    dropped = exact - p
    If dropped = 0 Then
        ' root + 1/2 squared is root^2 + root + 1/4: the root is past the half exactly when
        ' the remainder exceeds root. It is never exactly one half.
        q = root
        If kestrumArithm.icomp(r, root) > 0 Then half = 1 Else half = -1
        inexact = r <> "0"
    Else
        If Len(root) <= dropped Then root = String(dropped - Len(root) + 1, "0") & root
        q = KmCanonical(Left(root, Len(root) - dropped))
        half = KmCompareDigits(Right(root, dropped), "5" & String(dropped - 1, "0"))
        If half = 0 And r <> "0" Then half = 1
        inexact = r <> "0" Or Right(root, dropped) <> String(dropped, "0")
    End If
    KSqrt = KmFinish(q, False, KmRoundsAway(md, False, half, inexact, q), p)
End Function

' The greatest common divisor of whole a and b, >= 0.
Public Function KGcd(a, b)
    KmStart
    KGcd = KmGcd(KmMagnitude(KmReadWhole("KGcd", "a", a)), _
                 KmMagnitude(KmReadWhole("KGcd", "b", b)))
End Function

' The least common multiple of whole a and b, >= 0.
Public Function KLcm(a, b)
    Dim x, y, q, r, er
    KmStart
    x = KmMagnitude(KmReadWhole("KLcm", "a", a))
    y = KmMagnitude(KmReadWhole("KLcm", "b", b))
    If x = "0" Or y = "0" Then
        KLcm = "0"
        Exit Function
    End If
    q = "" : r = "" : er = 0
    kestrumArithm.idiv x, KmGcd(x, y), q, r, er
    KLcm = kestrumArithm.imult(q, y)
End Function

' a^e mod m in 0 ... m - 1, for whole a, e >= 0 and m >= 1.
Public Function KModPow(a, e, m)
    Dim x, ex, md, q, r, er, powers, i, result, power, digit
    KmStart
    x = KmReadWhole("KModPow", "a", a)
    ex = KmReadWhole("KModPow", "e", e)
    md = KmReadWhole("KModPow", "m", m)
    If KmIsNegative(ex) Then KmRefuse "KModPow", "e", "is negative"
    If KmIsNegative(md) Or md = "0" Then KmRefuse "KModPow", "m", "is less than 1"
    q = "" : r = "" : er = 0
    kestrumArithm.idiv KmMagnitude(x), md, q, r, er
    If KmIsNegative(x) And r <> "0" Then r = kestrumArithm.isub(md, r)
    ' x^0 ... x^9 mod m, then one decimal digit of the exponent at a time:
    ' result = result^10 * x^digit.
    powers = Array(KmMulMod("1", "1", md), r, "", "", "", "", "", "", "", "")
    For i = 2 To 9
        powers(i) = KmMulMod(powers(i - 1), r, md)
    Next
    result = powers(0)
    For i = 1 To Len(ex)
        If result <> "1" Then
            power = KmMulMod(result, result, md)
            power = KmMulMod(power, power, md)
            power = KmMulMod(power, result, md)
            result = KmMulMod(power, power, md)
        End If
        digit = CLng(Mid(ex, i, 1))
        If digit > 0 Then result = KmMulMod(result, powers(digit), md)
    Next
    KModPow = result
End Function

' n! for a whole n >= 0.
Public Function KFact(n)
    Dim count
    KmStart
    count = KmReadCount("KFact", "n", n)
    If count < 0 Then KmRefuse "KFact", "n", "is negative"
    If count > KM_MAX_FACTORIAL Then KmTooLong "KFact"
    KFact = KmProductFrom(2, count)
End Function

' n choose k for whole n, k >= 0; 0 when k > n.
Public Function KBinom(n, k)
    Dim nn, kk, other, count, c, firstFactor, i, num, den, q, r, er
    KmStart
    nn = KmReadWhole("KBinom", "n", n)
    kk = KmReadWhole("KBinom", "k", k)
    If KmIsNegative(nn) Then KmRefuse "KBinom", "n", "is negative"
    If KmIsNegative(kk) Then KmRefuse "KBinom", "k", "is negative"
    If kestrumArithm.icomp(kk, nn) > 0 Then
        KBinom = "0"
        Exit Function
    End If
    other = kestrumArithm.isub(nn, kk)
    If kestrumArithm.icomp(other, kk) < 0 Then kk = other
    If Len(kk) > 9 Then KmTooLong "KBinom"
    count = CLng(kk)
    If count > KM_MAX_BINOMIAL_K Then KmTooLong "KBinom"
    ' c = C(n - count + i, i) after each step; a chunk of steps multiplies by the next
    ' numerators and divides by the product of their counters, which stays a Long.
    c = "1"
    firstFactor = kestrumArithm.isub(nn, kk)
    i = 1
    Do While i <= count
        num = kestrumArithm.iadd(firstFactor, CStr(i))
        den = i
        i = i + 1
        Do While i <= count
            If den > KM_MAX_LONG \ i Then Exit Do
            num = kestrumArithm.imult(num, kestrumArithm.iadd(firstFactor, CStr(i)))
            den = den * i
            i = i + 1
        Loop
        q = "" : r = "" : er = 0
        kestrumArithm.idiv kestrumArithm.imult(c, num), CStr(den), q, r, er
        c = q
    Loop
    KBinom = c
End Function

' |a|
Public Function KAbs(a)
    Dim x, xs
    KmStart
    KmRead "KAbs", "a", a, x, xs
    KAbs = KmFormat(KmMagnitude(x), xs)
End Function

' -a
Public Function KNeg(a)
    Dim x, xs
    KmStart
    KmRead "KNeg", "a", a, x, xs
    KNeg = KmFormat(KmSigned(KmMagnitude(x), Not KmIsNegative(x)), xs)
End Function

' a in normal form.
Public Function KNorm(a)
    Dim x, xs
    KmStart
    KmRead "KNorm", "a", a, x, xs
    KNorm = KmFormat(x, xs)
End Function

' The sum of a range, an array of one or two dimensions, or a single value. Empty members and
' texts that are empty or only blanks are skipped.
Public Function KSum(values)
    Dim items, item, total, ts, x, xs
    KmStart
    items = KmMembers("KSum", values)
    total = "0"
    ts = 0
    For Each item In items
        If KmCounts("KSum", item) Then
            KmRead "KSum", "values", item, x, xs
            KmAlign total, ts, x, xs
            total = kestrumArithm.iadd(total, x)
        End If
    Next
    KSum = KmFormat(total, ts)
End Function

' The product of a range, an array of one or two dimensions, or a single value, skipping what
' KSum skips.
Public Function KProduct(values)
    Dim items, item, total, ts, x, xs
    KmStart
    items = KmMembers("KProduct", values)
    total = "1"
    ts = 0
    For Each item In items
        If KmCounts("KProduct", item) Then
            KmRead "KProduct", "values", item, x, xs
            total = kestrumArithm.imult(total, x)
            ts = ts + xs
        End If
    Next
    KProduct = KmFormat(total, ts)
End Function

' a rounded to digits significant digits (digits >= 1); 0 stays 0.
Public Function KSig(a, digits, Optional mode = "HALF_UP")
    Dim x, xs, count, md
    KmStart
    KmRead "KSig", "a", a, x, xs
    count = KmReadCount("KSig", "digits", digits)
    If count < 1 Then KmRefuse "KSig", "digits", "is less than 1"
    md = KmMode("KSig", mode)
    If x = "0" Then
        KSig = "0"
        Exit Function
    End If
    ' The first digit stands at 10^(Len - 1 - xs); count digits from there end at this place.
    KSig = KmRoundTo(x, xs, count - Len(KmMagnitude(x)) + xs, md)
End Function

' The whole number n written in base 2 ... 36: digits 0-9, then A-Z; "-" for a negative n.
Public Function KToBase(n, base)
    Dim x, b, neg, result
    KmStart
    x = KmReadWhole("KToBase", "n", n)
    b = KmReadBase("KToBase", base)
    neg = KmIsNegative(x)
    x = KmMagnitude(x)
    ' n >= 10^(Len - 1) has more than (Len - 1) * log_b(10) digits in base b.
    If (Len(x) - 1) * Log(10) / Log(b) > KM_MAX_TEXT Then KmTooLong "KToBase"
    result = KmSigned(KmBaseText(x, b), neg)
    If Len(result) > KM_MAX_TEXT Then KmTooLong "KToBase"
    KToBase = result
End Function

' The whole number that text writes in base 2 ... 36 (letters in either case, blanks ignored, an
' optional sign), in normal form.
Public Function KFromBase(text, base)
    Dim t, b, neg
    KmStart
    t = KmText("KFromBase", "text", text)
    If Len(t) > KM_MAX_TEXT Then
        Err.Raise 6, KM_SOURCE, "KFromBase: argument text is longer than 32766 characters"
    End If
    b = KmReadBase("KFromBase", base)
    t = UCase(Replace(t, " ", ""))
    neg = Left(t, 1) = "-"
    If neg Or Left(t, 1) = "+" Then t = Mid(t, 2)
    If Len(t) = 0 Or Not KmIsBaseDigits(t, b) Then
        KmRefuse "KFromBase", "text", "is not a whole number of base " & b
    End If
    t = KmCanonical(t)
    ' The value is at least b^(Len - 1), which has more than (Len - 1) * log10(b) digits.
    If (Len(t) - 1) * Log(b) / Log(10) >= KM_MAX_TEXT Then KmTooLong "KFromBase"
    KFromBase = KmSigned(KmFromBaseText(t, b), neg)
End Function

' The real n-th root of a (n whole >= 1; a < 0 only for an odd n), rounded to places fraction
' digits (places >= 0).
Public Function KRoot(a, n, places, Optional mode = "HALF_UP")
    Dim x, xs, k, p, md, neg, exact, root, r, dropped, q, half, inexact
    KmStart
    KmRead "KRoot", "a", a, x, xs
    k = KmReadCount("KRoot", "n", n)
    If k < 1 Then KmRefuse "KRoot", "n", "is less than 1"
    p = KmReadCount("KRoot", "places", places)
    If p < 0 Then KmRefuse "KRoot", "places", "is negative"
    md = KmMode("KRoot", mode)
    neg = KmIsNegative(x)
    If neg And k Mod 2 = 0 Then KmRefuse "KRoot", "a", "is negative and n is even"
    x = KmMagnitude(x)
    If x = "0" Then
        KRoot = "0"
        Exit Function
    End If
    ' The root is cut to exact places: one more than places, or more when a has over n * exact
    ' fraction digits, so that X = a * 10^(n * exact) is whole. The digits cut off past places
    ' and whether X is an exact power decide the rounding.
    exact = p + 1
    If xs > CDbl(k) * exact Then exact = (xs + k - 1) \ k
    If Len(x) - xs + CDbl(k) * exact > KM_MAX_TEXT Then
        Err.Raise 6, KM_SOURCE, "KRoot: places is too large for n: a * 10^(n * (places + 1)) " & _
            "would be longer than 32766 digits"
    End If
    x = KmShift(x, k * exact - xs)
    root = KmIroot(x, k)
    inexact = kestrumArithm.icomp(KmPower(root, k), x) <> 0
    dropped = exact - p
    If Len(root) <= dropped Then root = String(dropped - Len(root) + 1, "0") & root
    q = KmCanonical(Left(root, Len(root) - dropped))
    r = Right(root, dropped)
    half = KmCompareDigits(r, "5" & String(dropped - 1, "0"))
    If half = 0 And inexact Then half = 1
    inexact = inexact Or r <> String(dropped, "0")
    KRoot = KmFinish(q, neg, KmRoundsAway(md, neg, half, inexact, q), p)
End Function

' Pi rounded to places fraction digits (places >= 0).
Public Function KPi(places, Optional mode = "HALF_UP")
    Dim p, md, guard, result
    KmStart
    p = KmReadCount("KPi", "places", places)
    If p < 0 Then KmRefuse "KPi", "places", "is negative"
    md = KmMode("KPi", mode)
    guard = KM_GUARD
    Do
        KmCheckWorking "KPi", p + guard
        If KmRoundNear(KmPiFixed(p + guard), 2, guard, p, md, False, result) Then Exit Do
        guard = guard * 2
    Loop
    KPi = result
End Function

' e rounded to places fraction digits (places >= 0).
Public Function KE(places, Optional mode = "HALF_UP")
    Dim p, md, guard, result
    KmStart
    p = KmReadCount("KE", "places", places)
    If p < 0 Then KmRefuse "KE", "places", "is negative"
    md = KmMode("KE", mode)
    guard = KM_GUARD
    Do
        KmCheckWorking "KE", p + guard
        If KmRoundNear(KmEFixed(p + guard), 2, guard, p, md, False, result) Then Exit Do
        guard = guard * 2
    Loop
    KE = result
End Function

' Whether the whole number n is prime. Below 3317044064679887385961981 the strong probable prime
' tests to the prime bases 2 ... 41 prove it; above, the Baillie-PSW test decides.
Public Function KIsPrime(n)
    KmStart
    KIsPrime = KmIsPrime(KmReadWhole("KIsPrime", "n", n))
End Function

' The least prime greater than the whole number n.
Public Function KNextPrime(n)
    Dim x, start, width, marks, residues, i, p, offset, lastPrime
    KmStart
    x = KmReadWhole("KNextPrime", "n", n)
    If KmIsNegative(x) Or Len(x) = 1 And x < "2" Then
        KNextPrime = "2"
        Exit Function
    End If
    If x = "2" Then
        KNextPrime = "3"
        Exit Function
    End If
    ' Windows of odd candidates start, start + 2, ...: those with a small prime factor are marked
    ' first, the others are tested in order.
    KmLoadPrimes
    If KmIsOdd(x) Then start = kestrumArithm.iadd(x, "2") Else start = kestrumArithm.iadd(x, "1")
    width = 256
    If Len(start) > 50 Then width = 5 * Len(start)
    lastPrime = UBound(kmPrimes)
    Do
        If Len(start) > KM_MAX_TEXT Then KmTooLong "KNextPrime"
        ReDim marks(width - 1)
        residues = KmResidues(start, lastPrime)
        For i = 0 To lastPrime
            p = kmPrimes(i)
            ' start + 2 * j is a multiple of p for j = -start / 2 mod p.
            offset = ((p - residues(i)) Mod p) * ((p + 1) \ 2) Mod p
            ' p itself is no composite.
            If Len(start) <= 5 Then
                If CLng(start) + 2 * offset = p Then offset = offset + p
            End If
            Do While offset < width
                marks(offset) = True
                offset = offset + p
            Loop
        Next
        For i = 0 To width - 1
            If Not marks(i) Then
                If KmIsPrime(kestrumArithm.iadd(start, CStr(2 * i))) Then
                    KNextPrime = kestrumArithm.iadd(start, CStr(2 * i))
                    Exit Function
                End If
            End If
        Next
        start = kestrumArithm.iadd(start, CStr(2 * width))
    Loop
End Function

' The fraction "p/q" nearest to a with 1 <= q <= maxDen, in lowest terms, the sign on p. Of two
' equally near, the one with the smaller q; of two with the same q, the one nearer to zero.
Public Function KFrac(a, maxDen)
    Dim x, xs, limit, neg, num, den, top, bottom, p0, q0, p1, q1, p2, q2, q, r, er, capped
    Dim steps, rest, ps, qs, far1, far2, pick, result
    KmStart
    KmRead "KFrac", "a", a, x, xs
    limit = KmReadWhole("KFrac", "maxDen", maxDen)
    If KmIsNegative(limit) Or limit = "0" Then KmRefuse "KFrac", "maxDen", "is less than 1"
    neg = KmIsNegative(x)
    top = KmMagnitude(x)
    bottom = KmShift("1", xs)
    ' The convergents p1/q1 (after p0/q0) of the continued fraction of top/bottom, while their
    ' denominators stay within maxDen.
    num = top
    den = bottom
    p0 = "0"
    q0 = "1"
    p1 = "1"
    q1 = "0"
    capped = False
    Do
        q = "" : r = "" : er = 0
        kestrumArithm.idiv num, den, q, r, er
        q2 = kestrumArithm.iadd(q0, kestrumArithm.imult(q, q1))
        If kestrumArithm.icomp(q2, limit) > 0 Then
            capped = True
            Exit Do
        End If
        p2 = kestrumArithm.iadd(p0, kestrumArithm.imult(q, p1))
        p0 = p1
        q0 = q1
        p1 = p2
        q1 = q2
        num = den
        den = r
        If r = "0" Then Exit Do
    Loop
    If capped Then
        ' The last convergent or the semiconvergent with the largest denominator allowed, whichever
        ' is nearer: |a - p/q| = |top * q - p * bottom| / (bottom * q).
        steps = "" : rest = "" : er = 0
        kestrumArithm.idiv kestrumArithm.isub(limit, q0), q1, steps, rest, er
        ps = kestrumArithm.iadd(p0, kestrumArithm.imult(steps, p1))
        qs = kestrumArithm.iadd(q0, kestrumArithm.imult(steps, q1))
        far1 = kestrumArithm.imult(KmMagnitude(kestrumArithm.isub(kestrumArithm.imult(top, q1), _
            kestrumArithm.imult(p1, bottom))), qs)
        far2 = kestrumArithm.imult(KmMagnitude(kestrumArithm.isub(kestrumArithm.imult(top, qs), _
            kestrumArithm.imult(ps, bottom))), q1)
        pick = kestrumArithm.icomp(far2, far1)
        If pick < 0 Or (pick = 0 And kestrumArithm.icomp(qs, q1) < 0) Then
            p1 = ps
            q1 = qs
        End If
    End If
    result = KmSigned(p1, neg) & "/" & q1
    If Len(result) > KM_MAX_TEXT Then KmTooLong "KFrac"
    KFrac = result
End Function

' The natural logarithm of a > 0, rounded to places fraction digits (places >= 0).
Public Function KLn(a, places, Optional mode = "HALF_UP")
    Dim x, xs, p, md, side, guard, approx, result
    KmStart
    KmRead "KLn", "a", a, x, xs
    p = KmReadPlaces("KLn", places)
    md = KmMode("KLn", mode)
    If KmIsNegative(x) Or x = "0" Then KmRefuse "KLn", "a", "is not positive"
    KmCheckWorking "KLn", p + KM_GUARD
    side = KmCompareOne(x, xs)
    If side = 0 Then
        KLn = "0"
        Exit Function
    End If
    guard = KM_GUARD
    Do
        KmCheckWorking "KLn", p + guard + 20
        approx = KmLnFixed(x, xs, p + guard)
        If side < 0 Then approx = kestrumArithm.isub("0", approx)
        If KmRoundKnown(approx, 2, guard, p, md, side < 0, result) Then Exit Do
        guard = guard * 2
    Loop
    KLn = result
End Function

' The base-10 logarithm of a > 0, rounded to places fraction digits (places >= 0).
Public Function KLog10(a, places, Optional mode = "HALF_UP")
    Dim x, xs, p, md
    KmStart
    KmRead "KLog10", "a", a, x, xs
    p = KmReadPlaces("KLog10", places)
    md = KmMode("KLog10", mode)
    If KmIsNegative(x) Or x = "0" Then KmRefuse "KLog10", "a", "is not positive"
    KLog10 = KmLogRound("KLog10", x, xs, "10", 0, p, md)
End Function

' The logarithm of a > 0 to the base > 0, base <> 1, rounded to places fraction digits.
Public Function KLog(a, base, places, Optional mode = "HALF_UP")
    Dim x, xs, y, ys, p, md
    KmStart
    KmRead "KLog", "a", a, x, xs
    KmRead "KLog", "base", base, y, ys
    p = KmReadPlaces("KLog", places)
    md = KmMode("KLog", mode)
    If KmIsNegative(x) Or x = "0" Then KmRefuse "KLog", "a", "is not positive"
    If KmIsNegative(y) Or y = "0" Then KmRefuse "KLog", "base", "is not positive"
    If KmCompareOne(y, ys) = 0 Then KmRefuse "KLog", "base", "is 1"
    KLog = KmLogRound("KLog", x, xs, y, ys, p, md)
End Function

' e to the power a, rounded to places fraction digits (places >= 0).
Public Function KExp(a, places, Optional mode = "HALF_UP")
    Dim x, xs, p, md, estimate
    KmStart
    KmRead "KExp", "a", a, x, xs
    p = KmReadPlaces("KExp", places)
    md = KmMode("KExp", mode)
    KmCheckWorking "KExp", p + KM_GUARD
    If x = "0" Then
        KExp = "1"
        Exit Function
    End If
    estimate = KmLog10Mag(x, xs)
    If estimate > 6 Then
        estimate = 1E+300
    Else
        estimate = 10 ^ estimate
    End If
    If KmIsNegative(x) Then estimate = -estimate
    KExp = KmExpRound("KExp", x, xs, "", 0, estimate, False, p, md)
End Function

' a to the power b, rounded to places fraction digits (places >= 0). a > 0 takes any b; 0 to a
' positive b is 0, to 0 is 1 and to a negative b is a division by zero; a < 0 needs a whole b.
Public Function KPower(a, b, places, Optional mode = "HALF_UP")
    Dim x, xs, y, ys, p, md, neg, common, num, den, k, c, shifted, root, result
    Dim lnA, magA, estimate
    KmStart
    KmRead "KPower", "a", a, x, xs
    KmRead "KPower", "b", b, y, ys
    p = KmReadPlaces("KPower", places)
    md = KmMode("KPower", mode)
    If x = "0" Then
        If KmIsNegative(y) Then
            Err.Raise 11, KM_SOURCE, "KPower: argument a is zero and b is negative (division by zero)"
        End If
        If y = "0" Then KPower = "1" Else KPower = "0"
        Exit Function
    End If
    If y = "0" Then
        KPower = "1"
        Exit Function
    End If
    neg = False
    If KmIsNegative(x) Then
        If ys > 0 Then KmRefuse "KPower", "b", "is not whole while a is negative"
        neg = KmIsOdd(y)
        x = KmMagnitude(x)
    End If
    KmCheckWorking "KPower", p + KM_GUARD
    If x = "1" And xs = 0 Then
        KPower = KmSigned("1", neg)
        Exit Function
    End If
    ' b = num / k in lowest terms. a^b is a decimal exactly when a has a k-th root r that is
    ' one, and then a^b = r^num: r * 10^c with c = ceil(xs / k) is whole.
    num = y
    k = 1
    If ys > 0 Then
        common = KmGcd(KmMagnitude(y), KmShift("1", ys))
        den = KmQuotient(KmShift("1", ys), common)
        num = KmQuotient(y, common)
        k = 0
        If Len(den) <= 6 Then k = CLng(den)
    End If
    If k > 0 Then
        c = (xs + k - 1) \ k
        If Len(x) + CDbl(c) * k - xs <= KM_MAX_TEXT Then
            shifted = KmShift(x, c * k - xs)
            If KmExactRoot(shifted, k, root) Then
                If KmExactPower(root, c, num, neg, p, md, result) Then
                    KPower = result
                    Exit Function
                End If
            End If
        End If
    End If
    ' A positive power n of a short a with a small k: the k-th root of a^n, as KRoot gives it.
    If k > 0 And k <= 100 And Not neg And Not KmIsNegative(num) And Len(num) <= 5 Then
        If CDbl(Len(x)) * CLng(num) + CDbl(k) * (p + 1) + xs * CDbl(num) < KM_MAX_TEXT Then
            KPower = KRoot(KmFormat(KmPower(x, CLng(num)), xs * CLng(num)), k, p, md)
            Exit Function
        End If
    End If
    ' Otherwise a^b = e^(b ln a), estimated first: out of range, tiny, or computed.
    KmLnEstimate x, xs, lnA, magA
    estimate = KmLog10Mag(y, ys) + magA
    If estimate > 6 Then estimate = 1E+300 Else estimate = 10 ^ estimate
    If KmIsNegative(y) Xor (KmCompareOne(x, xs) < 0) Then estimate = -estimate
    KPower = KmExpRound("KPower", x, xs, y, ys, estimate, neg, p, md)
End Function

' The arctangent of a, in (-pi/2, pi/2), rounded to places fraction digits (places >= 0).
Public Function KAtn(a, places, Optional mode = "HALF_UP")
    Dim x, xs, p, md
    KmStart
    KmRead "KAtn", "a", a, x, xs
    p = KmReadPlaces("KAtn", places)
    md = KmMode("KAtn", mode)
    KmCheckWorking "KAtn", p + KM_GUARD
    KAtn = KmAngleRound("KAtn", x, KmShift("1", xs), p, md)
End Function

' The angle of the point (x, y), in (-pi, pi], rounded to places fraction digits; x = y = 0 is
' refused.
Public Function KAtan2(y, x, places, Optional mode = "HALF_UP")
    Dim u, us, v, vs, p, md
    KmStart
    KmRead "KAtan2", "y", y, u, us
    KmRead "KAtan2", "x", x, v, vs
    p = KmReadPlaces("KAtan2", places)
    md = KmMode("KAtan2", mode)
    If u = "0" And v = "0" Then KmRefuse "KAtan2", "x", "is zero and so is y"
    KmCheckWorking "KAtan2", p + KM_GUARD
    KmAlign u, us, v, vs
    KAtan2 = KmAngleRound("KAtan2", u, v, p, md)
End Function

' The arcsine of a, |a| <= 1, in [-pi/2, pi/2], rounded to places fraction digits.
Public Function KAsin(a, places, Optional mode = "HALF_UP")
    Dim x, xs, p, md, c
    KmStart
    KmRead "KAsin", "a", a, x, xs
    p = KmReadPlaces("KAsin", places)
    md = KmMode("KAsin", mode)
    c = KmCosine("KAsin", x, xs, p)
    KAsin = KmAngleRound("KAsin", KmShift(x, c(1)), c(0), p, md)
End Function

' The arccosine of a, |a| <= 1, in [0, pi], rounded to places fraction digits.
Public Function KAcos(a, places, Optional mode = "HALF_UP")
    Dim x, xs, p, md, c
    KmStart
    KmRead "KAcos", "a", a, x, xs
    p = KmReadPlaces("KAcos", places)
    md = KmMode("KAcos", mode)
    c = KmCosine("KAcos", x, xs, p)
    KAcos = KmAngleRound("KAcos", c(0), KmShift(x, c(1)), p, md)
End Function

' The sine of a (radians, any size), rounded to places fraction digits (places >= 0).
Public Function KSin(a, places, Optional mode = "HALF_UP")
    KSin = KmTrig("KSin", a, places, mode, 0)
End Function

' The cosine of a (radians, any size), rounded to places fraction digits (places >= 0).
Public Function KCos(a, places, Optional mode = "HALF_UP")
    KCos = KmTrig("KCos", a, places, mode, 1)
End Function

' The tangent of a (radians, any size), rounded to places fraction digits (places >= 0).
Public Function KTan(a, places, Optional mode = "HALF_UP")
    KTan = KmTrig("KTan", a, places, mode, 2)
End Function

' The value of the formula expr rounded once to places fraction digits (places >= 0): numbers,
' + - * / ^ and parentheses, pi and e, and the functions sqrt, root, ln, log10, log, exp, sin, cos,
' tan, asin, acos, atan, atan2, abs, fact, binom, gcd, lcm, quot, mod and round by name.
Public Function KEval(expr, places, Optional mode = "HALF_UP")
    Dim t, p, md
    KmStart
    t = KmText("KEval", "expr", expr)
    p = KmReadPlaces("KEval", places)
    md = KmMode("KEval", mode)
    KEval = KmEvalRound(KmParseFormula(t), p, md)
End Function

' ---------------------------------------------------------------------------------------------
' Reading arguments. A number is held as a signed integer text in normal form and a scale:
' the value is the integer divided by 10^scale, and the integer has no trailing zero when the
' scale is above 0.
' ---------------------------------------------------------------------------------------------

Private Sub KmStart()
    If IsEmpty(kestrumArithm) Then Set kestrumArithm = CreateObject("Kestrum.Arithm")
End Sub

Private Sub KmRefuse(fn, argName, why)
    Err.Raise 5, KM_SOURCE, fn & ": argument " & argName & " " & why
End Sub

Private Sub KmDivisionByZero(fn)
    Err.Raise 11, KM_SOURCE, fn & ": argument b is zero (division by zero)"
End Sub

Private Sub KmTooLong(fn)
    Err.Raise 6, KM_SOURCE, fn & ": the result would be longer than 32766 characters"
End Sub

' The value of an argument: an object gives its default property's value.
Private Function KmValue(fn, argName, v)
    Dim x, failure
    If Not IsObject(v) Then
        KmValue = v
        Exit Function
    End If
    On Error Resume Next
    x = v
    failure = Err.Number
    On Error GoTo 0
    If failure <> 0 Then KmRefuse fn, argName, "is an object without a default value"
    KmValue = x
End Function

' The text of a number argument, with "." as the decimal point whatever the locale.
Private Function KmText(fn, argName, v)
    Dim x, t, separator
    x = KmValue(fn, argName, v)
    Select Case VarType(x)
        Case 0
            KmText = "0"
        Case 8
            KmText = x
        Case 2, 3, 17, 20
            KmText = CStr(x)
        Case 4, 5, 6, 14
            t = CStr(x)
            separator = Mid(CStr(0.5), 2, 1)
            If separator <> "." Then t = Replace(t, separator, ".")
            If InStr(t, "E") > 0 Then KmRefuse fn, argName, "has an exponent (" & t & ")"
            KmText = t
        Case Else
            KmRefuse fn, argName, "is not a number (" & TypeName(x) & ")"
    End Select
End Function

' Reads a number argument into x (signed integer text) and xs (scale).
Private Sub KmRead(fn, argName, v, x, xs)
    Dim t, neg, point, whole, fraction, zeros
    t = KmText(fn, argName, v)
    If Len(t) > KM_MAX_TEXT Then
        Err.Raise 6, KM_SOURCE, fn & ": argument " & argName & " is longer than 32766 characters"
    End If
    t = Replace(t, " ", "")
    neg = False
    If Left(t, 1) = "-" Then
        neg = True
        t = Mid(t, 2)
    ElseIf Left(t, 1) = "+" Then
        t = Mid(t, 2)
    End If
    point = InStr(t, ".")
    If point = 0 Then
        whole = t
        fraction = ""
    Else
        whole = Left(t, point - 1)
        fraction = Mid(t, point + 1)
    End If
    If Len(whole) + Len(fraction) = 0 Or Not KmIsDigits(whole) Or Not KmIsDigits(fraction) Then
        KmRefuse fn, argName, "is not a number text"
    End If
    zeros = KmTrailingZeros(fraction)
    fraction = Left(fraction, Len(fraction) - zeros)
    x = KmCanonical(whole & fraction)
    xs = Len(fraction)
    If x = "0" Then xs = 0
    x = KmSigned(x, neg)
End Sub

' A whole number argument (a zero fraction is allowed) as a signed integer text.
Private Function KmReadWhole(fn, argName, v)
    Dim x, xs
    KmRead fn, argName, v, x, xs
    If xs > 0 Then KmRefuse fn, argName, "is not a whole number"
    KmReadWhole = x
End Function

' A whole number argument as a Long; one of ten digits or more is an overflow.
Private Function KmReadCount(fn, argName, v)
    Dim x
    x = KmReadWhole(fn, argName, v)
    If Len(KmMagnitude(x)) > 9 Then
        Err.Raise 6, KM_SOURCE, fn & ": argument " & argName & " is too large"
    End If
    KmReadCount = CLng(x)
End Function

' The rounding mode in upper case; Empty and "" mean HALF_UP.
Private Function KmMode(fn, mode)
    Dim x
    x = KmValue(fn, "mode", mode)
    If IsEmpty(x) Then x = ""
    If VarType(x) <> 8 Then KmRefuse fn, "mode", "is not a text (" & TypeName(x) & ")"
    x = UCase(x)
    Select Case x
        Case ""
            KmMode = "HALF_UP"
        Case "HALF_UP", "HALF_EVEN", "HALF_DOWN", "UP", "DOWN", "CEILING", "FLOOR"
            KmMode = x
        Case Else
            KmRefuse fn, "mode", "is not a rounding mode (" & x & ")"
    End Select
End Function

' The members of a KSum or KProduct argument: an array's, a range's values, or the one value.
Private Function KmMembers(fn, values)
    Dim x
    x = KmValue(fn, "values", values)
    If IsArray(x) Then KmMembers = x Else KmMembers = Array(x)
End Function

' Whether a member of KSum or KProduct takes part: not Empty, not a text of blanks only.
Private Function KmCounts(fn, item)
    Dim x
    x = KmValue(fn, "values", item)
    KmCounts = True
    If IsEmpty(x) Then
        KmCounts = False
    ElseIf VarType(x) = 8 Then
        KmCounts = Len(Replace(x, " ", "")) > 0
    End If
End Function

' ---------------------------------------------------------------------------------------------
' Texts of digits
' ---------------------------------------------------------------------------------------------

Private Function KmIsDigits(t)
    Dim rest, digit
    rest = t
    For digit = 0 To 9
        rest = Replace(rest, CStr(digit), "")
    Next
    KmIsDigits = Len(rest) = 0
End Function

' The number of "0" characters at the start of t, found by doubling and halving a prefix.
Private Function KmLeadingZeros(t)
    Dim known, tried, middle
    If Left(t, 1) <> "0" Then
        KmLeadingZeros = 0
        Exit Function
    End If
    known = 1
    tried = 2
    Do While tried <= Len(t)
        If Left(t, tried) <> String(tried, "0") Then Exit Do
        known = tried
        tried = tried * 2
    Loop
    If tried > Len(t) Then
        If t = String(Len(t), "0") Then
            KmLeadingZeros = Len(t)
            Exit Function
        End If
        tried = Len(t)
    End If
    ' The first known characters are zeros, the first tried are not all zeros.
    Do While tried - known > 1
        middle = (known + tried) \ 2
        If Left(t, middle) = String(middle, "0") Then known = middle Else tried = middle
    Loop
    KmLeadingZeros = known
End Function

Private Function KmTrailingZeros(t)
    KmTrailingZeros = KmLeadingZeros(StrReverse(t))
End Function

' Digits without their leading zeros; "0" when nothing is left.
Private Function KmCanonical(digits)
    Dim zeros
    zeros = KmLeadingZeros(digits)
    If zeros = Len(digits) Then
        KmCanonical = "0"
    Else
        KmCanonical = Mid(digits, zeros + 1)
    End If
End Function

' -1, 0 or 1 for two digit texts of the same length.
Private Function KmCompareDigits(t, u)
    If t < u Then
        KmCompareDigits = -1
    ElseIf t > u Then
        KmCompareDigits = 1
    Else
        KmCompareDigits = 0
    End If
End Function

Private Function KmIsNegative(x)
    KmIsNegative = Left(x, 1) = "-"
End Function

Private Function KmMagnitude(x)
    If KmIsNegative(x) Then KmMagnitude = Mid(x, 2) Else KmMagnitude = x
End Function

' The magnitude d with a "-" when neg is True and d is not zero.
Private Function KmSigned(d, neg)
    If neg And d <> "0" Then KmSigned = "-" & d Else KmSigned = d
End Function

Private Function KmIsOdd(x)
    KmIsOdd = InStr("13579", Right(x, 1)) > 0
End Function

' x * 10^count; a text longer than 32766 characters is an overflow.
Private Function KmShift(x, count)
    If x = "0" Or count = 0 Then
        KmShift = x
        Exit Function
    End If
    If Len(x) + count > KM_MAX_TEXT Then
        Err.Raise 6, KM_SOURCE, "KestrumMath: a number grows past 32766 characters"
    End If
    KmShift = x & String(count, "0")
End Function

' Brings two numbers to the larger of their scales.
Private Sub KmAlign(x, xs, y, ys)
    If xs < ys Then
        x = KmShift(x, ys - xs)
        xs = ys
    ElseIf ys < xs Then
        y = KmShift(y, xs - ys)
        ys = xs
    End If
End Sub

' The text of the signed integer x divided by 10^scale, in normal form.
Private Function KmFormat(x, scale)
    Dim neg, d, whole, fraction, result
    neg = KmIsNegative(x)
    d = KmCanonical(KmMagnitude(x))
    If scale > 0 And d <> "0" Then
        If Len(d) <= scale Then d = String(scale - Len(d) + 1, "0") & d
        whole = Left(d, Len(d) - scale)
        fraction = Right(d, scale)
        fraction = Left(fraction, Len(fraction) - KmTrailingZeros(fraction))
        result = whole
        If Len(fraction) > 0 Then result = whole & "." & fraction
    Else
        result = d
    End If
    result = KmSigned(result, neg)
    If Len(result) > KM_MAX_TEXT Then
        Err.Raise 6, KM_SOURCE, "KestrumMath: a number grows past 32766 characters"
    End If
    KmFormat = result
End Function

' ---------------------------------------------------------------------------------------------
' Rounding and exact integer work
' ---------------------------------------------------------------------------------------------

' Whether a magnitude truncated toward zero goes one unit away from zero. half compares the
' dropped part with one half of a unit (-1, 0, 1), inexact tells whether anything was dropped,
' q is the truncated magnitude (for HALF_EVEN).
Private Function KmRoundsAway(mode, neg, half, inexact, q)
    Select Case mode
        Case "DOWN"
            KmRoundsAway = False
        Case "UP"
            KmRoundsAway = inexact
        Case "CEILING"
            KmRoundsAway = inexact And Not neg
        Case "FLOOR"
            KmRoundsAway = inexact And neg
        Case "HALF_UP"
            KmRoundsAway = half >= 0
        Case "HALF_DOWN"
            KmRoundsAway = half > 0
        Case "HALF_EVEN"
            KmRoundsAway = half > 0 Or (half = 0 And KmIsOdd(q))
    End Select
End Function

' The text of magnitude q (one unit more when away is True), signed, with scale places.
Private Function KmFinish(q, neg, away, places)
    Dim d
    d = q
    If away Then d = kestrumArithm.iadd(d, "1")
    KmFinish = KmFormat(KmSigned(d, neg), places)
End Function

' The integer square root of a non-negative integer text: Newton's iteration from above,
' started from the root of the leading digits.
Private Function KmIsqrt(x)
    Dim lead, shift, guess, nxt, q, r, er
    If Len(x) <= 9 Then
        KmIsqrt = CStr(KmIsqrtLong(CLng(x)))
        Exit Function
    End If
    lead = 8 - (Len(x) Mod 2)
    shift = (Len(x) - lead) \ 2
    guess = CStr(KmIsqrtLong(CLng(Left(x, lead))) + 1) & String(shift, "0")
    Do
        q = "" : r = "" : er = 0
        kestrumArithm.idiv x, guess, q, r, er
        kestrumArithm.idiv kestrumArithm.iadd(guess, q), "2", nxt, r, er
        If kestrumArithm.icomp(nxt, guess) >= 0 Then Exit Do
        guess = nxt
    Loop
    KmIsqrt = guess
End Function

Private Function KmIsqrtLong(v)
    Dim guess, nxt
    If v < 2 Then
        KmIsqrtLong = v
        Exit Function
    End If
    guess = v
    nxt = (guess + 1) \ 2
    Do While nxt < guess
        guess = nxt
        nxt = (guess + v \ guess) \ 2
    Loop
    KmIsqrtLong = guess
End Function

' Euclid's algorithm on two magnitudes.
Private Function KmGcd(x, y)
    Dim u, v, q, r, er
    u = x
    v = y
    Do While v <> "0"
        q = "" : r = "" : er = 0
        kestrumArithm.idiv u, v, q, r, er
        u = v
        v = r
    Loop
    KmGcd = u
End Function

' x * y mod m for magnitudes below m.
Private Function KmMulMod(x, y, m)
    Dim q, r, er
    q = "" : r = "" : er = 0
    kestrumArithm.idiv kestrumArithm.imult(x, y), m, q, r, er
    KmMulMod = r
End Function

' The product first * (first + 1) * ... * last as a text ("1" when empty): runs of factors
' multiplied as Long values, then multiplied pairwise, so that the long products are few and
' of balanced length.
Private Function KmProductFrom(first, last)
    Dim parts, count, chunk, i, half
    If last < first Then
        KmProductFrom = "1"
        Exit Function
    End If
    ReDim parts(last - first)
    count = 0
    chunk = 1
    For i = first To last
        If chunk > KM_MAX_LONG \ i Then
            parts(count) = CStr(chunk)
            count = count + 1
            chunk = 1
        End If
        chunk = chunk * i
    Next
    parts(count) = CStr(chunk)
    count = count + 1
    Do While count > 1
        half = count \ 2
        For i = 0 To half - 1
            parts(i) = kestrumArithm.imult(parts(2 * i), parts(2 * i + 1))
        Next
        If count Mod 2 = 1 Then
            parts(half) = parts(count - 1)
            half = half + 1
        End If
        count = half
    Loop
    KmProductFrom = parts(0)
End Function

' a (integer text x, scale xs) rounded to places fraction digits; a negative places rounds to
' tens, hundreds, ...
Private Function KmRoundTo(x, xs, p, md)
    Dim neg, d, dropped, q, r, half, away
    If p >= xs Then
        KmRoundTo = KmFormat(x, xs)
        Exit Function
    End If
    neg = KmIsNegative(x)
    d = KmMagnitude(x)
    dropped = xs - p
    If Len(d) < dropped Then
        ' Fewer digits than are dropped: below one half of the last place kept.
        q = "0"
        r = d
        half = -1
    Else
        If Len(d) = dropped Then d = "0" & d
        q = Left(d, Len(d) - dropped)
        r = Right(d, dropped)
        half = KmCompareDigits(r, "5" & String(dropped - 1, "0"))
    End If
    away = KmRoundsAway(md, neg, half, r <> String(Len(r), "0"), q)
    If p >= 0 Then
        KmRoundTo = KmFinish(q, neg, away, p)
    Else
        KmRoundTo = KmShift(KmFinish(q, neg, away, 0), -p)
    End If
End Function

' x^count for count >= 1: left to right over the binary digits of count.
Private Function KmPower(x, count)
    Dim result, i
    result = "1"
    i = 1
    Do While i * 2 <= count
        i = i * 2
    Loop
    Do While i >= 1
        result = kestrumArithm.imult(result, result)
        If (count And i) <> 0 Then result = kestrumArithm.imult(result, x)
        i = i \ 2
    Loop
    KmPower = result
End Function

' The integer k-th root of a positive integer text x (k >= 1): the root of x without its last
' k * j digits, plus one, times 10^j starts Newton's iteration from above with half the digits
' right; the iteration stops when it no longer decreases.
Private Function KmIroot(x, k)
    Dim rootDigits, j, guess, nxt, q, r, er, estimate
    If k = 1 Then
        KmIroot = x
        Exit Function
    End If
    rootDigits = (Len(x) + k - 1) \ k
    If rootDigits <= 12 Then
        ' From the natural logarithm of the leading digits, a little above the root.
        If Len(x) <= 15 Then
            estimate = Log(CDbl(x))
        Else
            estimate = Log(CDbl(Left(x, 15))) + (Len(x) - 15) * Log(10)
        End If
        estimate = Exp(estimate / k) * 1.000001 + 1
        guess = CStr(Int(estimate))
    Else
        j = rootDigits \ 2
        guess = kestrumArithm.iadd(KmIroot(Left(x, Len(x) - k * j), k), "1") & String(j, "0")
    End If
    Do
        q = "" : r = "" : er = 0
        kestrumArithm.idiv x, KmPower(guess, k - 1), q, r, er
        q = kestrumArithm.iadd(kestrumArithm.imult(guess, CStr(k - 1)), q)
        kestrumArithm.idiv q, CStr(k), nxt, r, er
        If kestrumArithm.icomp(nxt, guess) >= 0 Then Exit Do
        guess = nxt
    Loop
    KmIroot = guess
End Function

' ---------------------------------------------------------------------------------------------
' Values known to a bound: a fixed-point approximation A of v * 10^w is an integer text with
' |A - v * 10^w| <= bound. The constants are computed to w = places + guard digits; when the
' guard digits do not settle the rounding, the caller computes again with more.
' ---------------------------------------------------------------------------------------------

' Error 6 when w working digits need numbers longer than a number text may be: a product of
' two w-digit numbers must stay within 32766 digits.
Private Sub KmCheckWorking(fn, w)
    If 2 * CDbl(w) + 40 > KM_MAX_TEXT Then
        Err.Raise 6, KM_SOURCE, fn & ": argument places is too large: the working numbers " & _
            "would be longer than 32766 digits"
    End If
End Sub

' Rounds |v| to places digits from A, an approximation of |v| * 10^(places + guard) within
' bound units, v < 0 when neg. Gives True and the text in result when every value within the
' bound rounds alike and none lies on a rounding boundary; False when more guard digits are needed.
Private Function KmRoundNear(approx, bound, guard, places, md, neg, result)
    Dim lo, hi, qlo, rlo, rhi, halfway, half
    KmRoundNear = False
    lo = kestrumArithm.isub(approx, CStr(bound))
    hi = kestrumArithm.iadd(approx, CStr(bound))
    If KmIsNegative(lo) Then Exit Function
    If Len(lo) <= guard Then lo = String(guard + 1 - Len(lo), "0") & lo
    If Len(hi) <= guard Then hi = String(guard + 1 - Len(hi), "0") & hi
    qlo = Left(lo, Len(lo) - guard)
    If qlo <> Left(hi, Len(hi) - guard) Then Exit Function
    rlo = Right(lo, guard)
    rhi = Right(hi, guard)
    halfway = "5" & String(guard - 1, "0")
    If rlo = String(guard, "0") Then Exit Function
    If rhi < halfway Then
        half = -1
    ElseIf rlo > halfway Then
        half = 1
    Else
        Exit Function
    End If
    result = KmFinish(qlo, neg, KmRoundsAway(md, neg, half, True, qlo), places)
    KmRoundNear = True
End Function

' Pi * 10^w within 2 units: Chudnovsky's series, summed by binary splitting,
' pi = 426880 * sqrt(10005) * Q / T.
Private Function KmPiFixed(w)
    Dim pp, qq, tt, cut, root, q, r, er
    ' Each term adds more than 14 digits.
    KmChudnovsky 0, w \ 14 + 2, pp, qq, tt
    ' Q and T to w + 20 digits of T: their ratio changes by far less than a unit.
    cut = Len(tt) - (w + 20)
    If cut > 0 Then
        qq = Left(qq, Len(qq) - cut)
        tt = Left(tt, Len(tt) - cut)
    End If
    ' sqrt(10005) * 10^w cut to an integer is less than a unit low; times
    ' 426880 * Q / T = pi / sqrt(10005) that is below 0.04 units, and the quotient cut adds one.
    root = KmIsqrt("10005" & String(2 * w, "0"))
    q = "" : r = "" : er = 0
    kestrumArithm.idiv kestrumArithm.imult(kestrumArithm.imult(root, "426880"), qq), tt, q, r, er
    KmPiFixed = q
End Function

' P, Q and T of the terms a ... b - 1 of Chudnovsky's series: the term k >= 1 has
' P = -(6k - 5)(2k - 1)(6k - 1), Q = k^3 * 640320^3 / 24, T = P * (13591409 + 545140134 k).
Private Sub KmChudnovsky(a, b, pp, qq, tt)
    Dim m, p2, q2, t2, k
    If b - a = 1 Then
        If a = 0 Then
            pp = "1"
            qq = "1"
            tt = "13591409"
        Else
            k = CDbl(a)
            pp = "-" & CStr((6 * k - 5) * (2 * k - 1) * (6 * k - 1))
            qq = kestrumArithm.imult(CStr(k * k * k), "10939058860032000")
            tt = kestrumArithm.imult(pp, CStr(13591409 + 545140134 * k))
        End If
        Exit Sub
    End If
    m = (a + b) \ 2
    KmChudnovsky a, m, pp, qq, tt
    KmChudnovsky m, b, p2, q2, t2
    tt = kestrumArithm.iadd(kestrumArithm.imult(tt, q2), kestrumArithm.imult(pp, t2))
    pp = kestrumArithm.imult(pp, p2)
    qq = kestrumArithm.imult(qq, q2)
End Sub

' e * 10^w within 2 units: 1 + P / Q, where P / Q = 1/1! + ... + 1/N! by binary splitting and
' N! > 10^(w + 2), so that the rest of the series is below 2 / 10^(w + 2).
Private Function KmEFixed(w)
    Dim target, total, k, count, nums, dens, pv, qv, half, i, cut, q, r, er
    ReDim nums(w + 20)
    ReDim dens(w + 20)
    target = (w + 2) * Log(10)
    total = CDbl(0)
    k = CDbl(0)
    count = 0
    ' Runs of terms with their P and Q as whole Doubles below 10^15 first:
    ' adding 1 / (Q * k) to P / Q gives (P * k + 1) / (Q * k).
    Do While total < target
        pv = CDbl(0)
        qv = CDbl(1)
        Do
            k = k + 1
            pv = pv * k + 1
            qv = qv * k
            total = total + Log(k)
        Loop While total < target And qv * (k + 1) <= 4E+14
        nums(count) = CStr(pv)
        dens(count) = CStr(qv)
        count = count + 1
    Loop
    ' Neighbouring runs joined pairwise: P = P1 * Q2 + P2, Q = Q1 * Q2.
    Do While count > 1
        half = count \ 2
        For i = 0 To half - 1
            nums(i) = kestrumArithm.iadd(kestrumArithm.imult(nums(2 * i), dens(2 * i + 1)), _
                nums(2 * i + 1))
            dens(i) = kestrumArithm.imult(dens(2 * i), dens(2 * i + 1))
        Next
        If count Mod 2 = 1 Then
            nums(half) = nums(count - 1)
            dens(half) = dens(count - 1)
            half = half + 1
        End If
        count = half
    Loop
    cut = Len(dens(0)) - (w + 20)
    If cut > 0 Then
        nums(0) = Left(nums(0), Len(nums(0)) - cut)
        dens(0) = Left(dens(0), Len(dens(0)) - cut)
    End If
    q = "" : r = "" : er = 0
    kestrumArithm.idiv nums(0) & String(w, "0"), dens(0), q, r, er
    KmEFixed = kestrumArithm.iadd("1" & String(w, "0"), q)
End Function

' ---------------------------------------------------------------------------------------------
' Logarithms and powers. Fixed-point numbers as above: a signed integer text A stands for
' A / 10^w.
' ---------------------------------------------------------------------------------------------

' A places argument: whole, >= 0.
Private Function KmReadPlaces(fn, places)
    Dim p
    p = KmReadCount(fn, "places", places)
    If p < 0 Then KmRefuse fn, "places", "is negative"
    KmReadPlaces = p
End Function

' The signed integer text t without its last count digits (cut toward zero); a negative count
' appends zeros.
Private Function KmCut(t, count)
    Dim d
    If count <= 0 Then
        KmCut = KmShift(t, -count)
        Exit Function
    End If
    d = KmMagnitude(t)
    If Len(d) <= count Then
        KmCut = "0"
    Else
        KmCut = KmSigned(Left(d, Len(d) - count), KmIsNegative(t))
    End If
End Function

Private Function KmQuotient(x, y)
    Dim q, r, er
    q = "" : r = "" : er = 0
    kestrumArithm.idiv x, y, q, r, er
    KmQuotient = q
End Function

' log10 |x / 10^xs| as a Double, from the first 15 digits; x is not zero.
Private Function KmLog10Mag(x, xs)
    Dim d
    d = KmMagnitude(x)
    If Len(d) > 15 Then
        KmLog10Mag = Log(CDbl(Left(d, 15))) / Log(10) + Len(d) - 15 - xs
    Else
        KmLog10Mag = Log(CDbl(d)) / Log(10) - xs
    End If
End Function

' -1, 0 or 1 as the positive x / 10^xs is less than, equal to or greater than 1.
Private Function KmCompareOne(x, xs)
    KmCompareOne = kestrumArithm.icomp(x, KmShift("1", xs))
End Function

' ln of the positive x / 10^xs as a Double (lnv, 0 when it underflows) and log10 |ln| (magnitude),
' both to about 12 digits; near 1 from the series of ln(1 + d).
Private Sub KmLnEstimate(x, xs, lnv, magnitude)
    Dim d, dm, dv
    d = kestrumArithm.isub(x, KmShift("1", xs))
    dm = KmLog10Mag(d, xs)
    If dm < -4 Then
        If dm < -300 Then
            lnv = 0
            magnitude = dm
            Exit Sub
        End If
        dv = 10 ^ dm
        If KmIsNegative(d) Then dv = -dv
        lnv = dv - dv * dv / 2 + dv * dv * dv / 3
    Else
        lnv = KmLog10Mag(x, xs) * Log(10)
    End If
    magnitude = Log(Abs(lnv)) / Log(10)
End Sub

' A value in (0, half a unit of the last place) with the sign neg, rounded to places digits.
Private Function KmTiny(neg, places, md)
    KmTiny = KmFinish("0", neg, KmRoundsAway(md, neg, -1, True, "0"), places)
End Function

' KmRoundNear for a value whose sign is known to be neg: an approximation of its magnitude that
' may fall below 0 still decides when the whole interval lies below half a unit.
Private Function KmRoundKnown(approx, bound, guard, places, md, neg, result)
    KmRoundKnown = False
    If KmIsNegative(kestrumArithm.isub(approx, CStr(bound))) Then
        If kestrumArithm.icomp(kestrumArithm.iadd(approx, CStr(bound)), _
                "5" & String(guard - 1, "0")) < 0 Then
            result = KmTiny(neg, places, md)
            KmRoundKnown = True
        End If
    Else
        KmRoundKnown = KmRoundNear(approx, bound, guard, places, md, neg, result)
    End If
End Function

' Whether the positive integer x is a k-th power; root is its k-th root then. A root of 2 or
' more makes x at least 2^k long.
Private Function KmExactRoot(x, k, root)
    KmExactRoot = False
    If x = "1" Then
        root = "1"
        KmExactRoot = True
    ElseIf k = 1 Then
        root = x
        KmExactRoot = True
    ElseIf k <= 3.33 * Len(x) + 1 Then
        root = KmIroot(x, k)
        KmExactRoot = KmPower(root, k) = x
    End If
End Function

' (r / 10^rs)^e for a positive integer r and a signed whole e, negative when neg, rounded to
' places: True and the text in result when it is computed exactly, False when its digits would
' be too many (the caller approximates it; no such power lies on a rounding boundary).
Private Function KmExactPower(r, rs, e, neg, places, md, result)
    Dim n, power
    KmExactPower = False
    If r = "1" And rs = 0 Then
        result = KmSigned("1", neg)
        KmExactPower = True
        Exit Function
    End If
    If Len(KmMagnitude(e)) > 6 Then Exit Function
    n = CLng(KmMagnitude(e))
    If CDbl(Len(r)) * n > KM_MAX_TEXT Or CDbl(rs) * n + places > KM_MAX_TEXT Then Exit Function
    power = KmPower(r, n)
    If KmIsNegative(e) Then
        result = KDiv(KmSigned(KmShift("1", rs * n), neg), power, places, md)
    Else
        result = KmRoundTo(KmSigned(power, neg), rs * n, places, md)
    End If
    KmExactPower = True
End Function

' e^(x / 10^xs), or with y given e^((y / 10^ys) ln(x / 10^xs)) for x > 0, rounded to places:
' estimate is the exponent as a Double (1E+300 or -1E+300 when far out of range). A value below
' 10^-(places + 3) rounds as a tiny one; the approximation e^t carries the integer digits of the
' value besides places + guard fraction digits, and t = y ln x carries as many more as y has
' whole digits.
Private Function KmExpRound(fn, x, xs, y, ys, estimate, neg, places, md)
    Dim digits, guard, w, t, ts, whole, result
    KmCheckWorking fn, places + KM_GUARD
    If estimate < -(places + 3) * Log(10) Then
        KmExpRound = KmTiny(neg, places, md)
        Exit Function
    End If
    If estimate / Log(10) >= KM_MAX_TEXT Then KmTooLong fn
    digits = 0
    If estimate > 0 Then digits = Int(estimate / Log(10) + 0.000001) + 1
    guard = KM_GUARD
    Do
        w = places + guard
        If 2 * (w + 2 * CDbl(digits) + 12) + 40 > KM_MAX_TEXT Then
            Err.Raise 6, KM_SOURCE, fn & ": the result's whole digits and places need working " & _
                "numbers longer than 32766 digits"
        End If
        If y = "" Then
            t = x
            ts = xs
        Else
            whole = Len(KmMagnitude(y)) - ys
            If whole < 1 Then whole = 1
            ts = w + digits + whole + 3
            KmCheckWorking fn, ts + 10
            t = KmCut(kestrumArithm.imult(y, KmLnFixed(x, xs, ts)), ys)
        End If
        If KmRoundNear(KmExpFixed(t, ts, w, digits), 3, guard, places, md, neg, result) Then Exit Do
        guard = guard * 2
    Loop
    KmExpRound = result
End Function

' log_b a for positive a = x / 10^xs and b = y / 10^ys <> 1, rounded to places. Rational logs
' (a and b powers of one rational) come out exactly; otherwise ln a / ln b with enough digits
' that the quotient is within 2 units: |ln b| >= 10^-small and |ln a| < 10^large.
Private Function KmLogRound(fn, x, xs, y, ys, places, md)
    Dim sideA, sideB, i, j, lnA, magA, lnB, magB, large, small, guard, w, f, q, result
    KmCheckWorking fn, places + KM_GUARD
    sideA = KmCompareOne(x, xs)
    If sideA = 0 Then
        KmLogRound = "0"
        Exit Function
    End If
    sideB = KmCompareOne(y, ys)
    KmLnEstimate x, xs, lnA, magA
    KmLnEstimate y, ys, lnB, magB
    If KmLogRatio(x, xs, y, ys, magA - magB, (sideA < 0) Xor (sideB < 0), i, j) Then
        KmLogRound = KDiv(i, j, places, md)
        Exit Function
    End If
    large = Int(magA) + 1
    If large < 0 Then large = 0
    small = 1 - Int(magB)
    If small < 0 Then small = 0
    guard = KM_GUARD
    Do
        w = places + guard
        f = w + large + 2 * small + 3
        KmCheckWorking fn, f + large + 20
        q = KmQuotient(KmShift(KmMagnitude(KmLnFixed(x, xs, f)), w), _
            KmMagnitude(KmLnFixed(y, ys, f)))
        If KmRoundKnown(q, 2, guard, places, md, (sideA < 0) Xor (sideB < 0), result) Then Exit Do
        guard = guard * 2
    Loop
    KmLogRound = result
End Function

' Whether log_b a is the rational i / j: then a = r^i and b = r^j for a rational r. The
' candidate is the first convergent of the continued fraction of |log_b a| (10^ratio, from
' the estimates) within 10^-9 of it, checked by exact roots of the numerators and denominators.
Private Function KmLogRatio(x, xs, y, ys, ratio, neg, i, j)
    Dim t, rest, p0, q0, p1, q1, whole, p2, q2, an, ad, bn, bd, rn, rd, sn, sd
    KmLogRatio = False
    If Abs(ratio) > 6 Then Exit Function
    t = 10 ^ ratio
    rest = t
    p0 = 1 : q0 = 0 : p1 = Int(rest) : q1 = 1
    Do While Abs(t - p1 / q1) > 0.000000001 * t
        rest = rest - Int(rest)
        If rest < 0.000000000001 Then Exit Do
        rest = 1 / rest
        whole = Int(rest)
        p2 = whole * p1 + p0
        q2 = whole * q1 + q0
        If q2 > 100000 Or p2 > 100000 Then Exit Function
        p0 = p1 : q0 = q1 : p1 = p2 : q1 = q2
    Loop
    If p1 = 0 Or Abs(t - p1 / q1) > 0.000000001 * t Then Exit Function
    KmReduced x, xs, an, ad
    KmReduced y, ys, bn, bd
    If neg Then
        rn = an
        an = ad
        ad = rn
    End If
    If Not KmExactRoot(an, p1, rn) Then Exit Function
    If Not KmExactRoot(ad, p1, rd) Then Exit Function
    If Not KmExactRoot(bn, q1, sn) Then Exit Function
    If Not KmExactRoot(bd, q1, sd) Then Exit Function
    If rn <> sn Or rd <> sd Then Exit Function
    i = KmSigned(CStr(p1), neg)
    j = CStr(q1)
    KmLogRatio = True
End Function

' The positive x / 10^xs as num / den in lowest terms.
Private Sub KmReduced(x, xs, num, den)
    Dim common
    den = KmShift("1", xs)
    common = KmGcd(x, den)
    num = KmQuotient(x, common)
    den = KmQuotient(den, common)
End Sub

' ln(x / 10^xs) * 10^w within 2 units for a positive x: by the AGM where its working numbers fit
' (KmLnAgm), otherwise ln m + k ln 10 with m = x / 10^(Len - 1) in [1, 10) by Newton's iteration.
Private Function KmLnFixed(x, xs, w)
    Dim k, wk, t
    If KmAgmFits(w + 8) Then
        KmLnFixed = KmLnAgm(x, xs, w)
        Exit Function
    End If
    k = Len(x) - 1 - xs
    wk = w + Len(CStr(Abs(k))) + 2
    t = KmLnNewton(x, Len(x) - 1, wk)
    If k <> 0 Then t = kestrumArithm.iadd(t, kestrumArithm.imult(CStr(k), KmLn10(wk)))
    KmLnFixed = KmCut(t, wk - w)
End Function

' ln 10 * 10^w within 2 units, kept for later calls: ln(10^q) / q from the AGM where it fits.
Private Function KmLn10(w)
    Dim q, f
    If kmLnTenDigits < w Then
        If KmAgmFits(w + 12) Then
            q = (w + 12) \ 2 + 8
            f = (w + 12) + q + 12
            kmLnTen = KmQuotient(KmAgmLn(KmShift("4", f - q), f, w + 12), CStr(q))
        Else
            kmLnTen = KmLnNewton("10", 0, w + 12)
        End If
        kmLnTenDigits = w + 10
        kmLnTen = KmCut(kmLnTen, 2)
    End If
    KmLn10 = KmCut(kmLnTen, kmLnTenDigits - w)
End Function

' Whether the AGM works for w digits: it holds numbers of 1.5 w digits and their products.
Private Function KmAgmFits(w)
    KmAgmFits = 2 * (w + w \ 2 + 30) + 40 <= KM_MAX_TEXT
End Function

' ln(x / 10^xs) * 10^w within 2 units for a positive x: ln s = pi / (2 AGM(1, 4 / s)) within
' 10^-(w + 10) for s = x * 10^m >= 10^h, h = w / 2 + 8, and ln x = ln s - m ln 10. 4 / s is held
' to f = w + h + 12 digits, so that it is known to w + 11 significant digits.
Private Function KmLnAgm(x, xs, w)
    Dim h, f, v, vs, k, m, t
    h = w \ 2 + 8
    f = w + h + 12
    v = x
    vs = xs
    If Len(v) > f + 5 Then
        vs = vs - (Len(v) - (f + 5))
        v = Left(v, f + 5)
    End If
    k = Len(v) - 1 - vs
    m = h - k
    ' 4 / s * 10^f = 4 * 10^(f - m + vs) / v, and f - m + vs = f - h + Len(v) - 1.
    t = KmAgmLn(KmQuotient(KmShift("4", f - h + Len(v) - 1), v), f, w + Len(CStr(Abs(m))) + 2)
    t = kestrumArithm.isub(t, kestrumArithm.imult(CStr(m), KmLn10(w + Len(CStr(Abs(m))) + 2)))
    KmLnAgm = KmCut(t, Len(CStr(Abs(m))) + 2)
End Function

' pi / (2 AGM(1, b / 10^f)) * 10^w within a unit, for b / 10^f <= 4 * 10^-(w / 2 + 8) known to
' w + 11 significant digits. The square root of a b starts Newton's iteration at (a + b) / 2,
' above it, once a and b are near; the loop ends when they differ in the last two digits only.
Private Function KmAgmLn(b0, f, w)
    Dim a, b, mean, product
    a = "1" & String(f, "0")
    b = b0
    Do
        mean = KmQuotient(kestrumArithm.iadd(a, b), "2")
        product = kestrumArithm.imult(a, b)
        If Len(a) - Len(b) > 1 Then b = KmIsqrt(product) Else b = KmSqrtBelow(product, mean)
        a = mean
        If Len(kestrumArithm.isub(a, b)) <= 2 Then Exit Do
    Loop
    ' pi * 10^(w + 16) * 10^f / (a + b): pi within 2 units of w + 16 digits, ln s below 10^5.
    KmAgmLn = KmCut(KmQuotient(KmShift(KmPiConst(w + 16), f), kestrumArithm.iadd(a, b)), 16)
End Function

' The integer square root of x by Newton's iteration from guess >= it.
Private Function KmSqrtBelow(x, guess)
    Dim g, nxt
    g = guess
    Do
        nxt = KmQuotient(kestrumArithm.iadd(g, KmQuotient(x, g)), "2")
        If kestrumArithm.icomp(nxt, g) >= 0 Then Exit Do
        g = nxt
    Loop
    KmSqrtBelow = g
End Function

' pi * 10^w within 2 units, kept for later calls.
Private Function KmPiConst(w)
    If kmPiDigits < w Then
        kmPiText = KmPiFixed(w + 10)
        kmPiDigits = w + 10
    End If
    KmPiConst = KmCut(kmPiText, kmPiDigits - w)
End Function

' ln(m) * 10^w within 2 units for m = mx / 10^ms in [1, 10]: Newton's iteration
' y + m e^-y - 1 on ln m, from the Double logarithm (13 digits). An error e becomes e^2 / 2 and
' less, so each step works at d + 5 digits where d is 2 * (digits known) - 6.
Private Function KmLnNewton(mx, ms, w)
    Dim m, s, wf, steps, count, d, i, f, y, ys, lead, e
    m = mx
    s = ms
    If Len(m) > w + 3 Then
        s = s - (Len(m) - (w + 3))
        m = Left(m, w + 3)
    End If
    If m = "1" & String(Len(m) - 1, "0") And s = Len(m) - 1 Then
        KmLnNewton = "0"
        Exit Function
    End If
    wf = w
    If wf < 20 Then wf = 20
    ReDim steps(40)
    count = 0
    d = wf
    Do
        steps(count) = d
        count = count + 1
        If d <= 13 Then Exit Do
        d = (d + 7) \ 2
    Loop
    If Len(m) > 15 Then lead = Left(m, 15) Else lead = m
    y = CStr(Int((Log(CDbl(lead)) + (Len(m) - Len(lead) - s) * Log(10)) * 1E+13))
    ys = 13
    For i = count - 2 To 0 Step -1
        f = steps(i) + 5
        y = KmCut(y, ys - f)
        ys = f
        e = KmExpFixed(kestrumArithm.isub("0", y), f, f, 0)
        y = kestrumArithm.iadd(y, kestrumArithm.isub(KmCut(kestrumArithm.imult(m, e), s), _
            "1" & String(f, "0")))
    Next
    KmLnNewton = KmCut(y, ys - w)
End Function

' e^(x / 10^xs) * 10^w within 2 units, for e^(x / 10^xs) < 10^digits and |x / 10^xs| below about
' 10^6. r = x / 2^s, |r| < 1/2 and less for more digits, is exact as x * 5^s / 10^(xs + s); it is cut to f digits and
' split into the parts of its digits 1-2, 3-4, 5-8, 9-16, ...: e^r is the product of their
' series, summed by binary splitting, and e^x is e^r squared s times. A relative error grows by
' 2^s in the squarings, and the value has digits in front of the point: f = w + digits + 0.302 s
' + 6 leaves it below a unit.
Private Function KmExpFixed(x, xs, w, digits)
    Dim size, s, f, r, neg, d, e, lo, hi, part, i
    size = 0
    If x <> "0" Then size = KmLog10Mag(x, xs)
    ' Halvings until |r| < 10^-(1 + sqrt(w) / 8): more squarings, far fewer terms.
    s = 0
    Do While size >= -1 - Sqr(w + digits) / 8
        size = size - Log(2) / Log(10)
        s = s + 1
    Loop
    f = w + digits + Int(0.302 * s) + 6
    r = KmCut(kestrumArithm.imult(KmCut(x, xs - (f + 2)), KmPower("5", s)), s + 2)
    neg = KmIsNegative(r)
    d = KmMagnitude(r)
    If Len(d) < f Then d = String(f - Len(d), "0") & d
    e = "1" & String(f, "0")
    lo = 0
    hi = 2
    Do While lo < f
        If hi > f Then hi = f
        part = KmCanonical(Mid(d, lo + 1, hi - lo))
        If part <> "0" Then
            e = KmCut(kestrumArithm.imult(e, KmExpPart(KmSigned(part, neg), hi, f)), f)
        End If
        lo = hi
        hi = hi * 2
    Loop
    For i = 1 To s
        e = kestrumArithm.imult(e, e)
        If Len(e) > f Then e = Left(e, Len(e) - f) Else e = "0"
    Next
    KmExpFixed = KmCut(e, f - w)
End Function

' e^(u / 10^v) * 10^f for |u / 10^v| < 1/2: 1 + the sum of the terms u^n / (n! 10^(v n)) for
' n = 1 ... N, where the rest after N terms is below half a unit.
Private Function KmExpPart(u, v, f)
    Dim size, n, lo, hi
    size = -KmLog10Mag(u, v)
    ' The least n with n * size + log10(n!) >= f + 1, by bisection on Stirling's lower bound
    ' of ln(n!).
    lo = 0
    hi = f + 2
    Do While hi - lo > 1
        n = (lo + hi) \ 2
        If n * size + ((n + 0.5) * Log(n) - n + 0.9189) / Log(10) >= f + 1 Then hi = n Else lo = n
    Loop
    KmExpPart = kestrumArithm.iadd("1" & String(f, "0"), KmSeriesSum(0, u, v, hi - 1, f))
End Function

' The sum over n = 1 ... count of the products of a(j) / b(j) for j = 1 ... n, times 10^f
' within a few units, by binary splitting: kind 0 has a(j) = u, b(j) = j * 10^v (e^x), kind 1
' has a(j) = 2j u, b(j) = (2j + 1) v (Euler's series of the arctangent). Every a(j) / b(j) is
' below 1 in magnitude; kinds 2 and 3 have a(j) = u, b(j) = (2j - 1)(2j) 10^v and (2j)(2j + 1) 10^v
' (cosine and sine). A run of terms is held as P = product of a, Q = product of b and T with
' T / Q its sum; small factors are joined in Doubles first, neighbouring runs then pairwise
' (P = P1 P2, Q = Q1 Q2, T = T1 Q2 + P1 T2) while Q stays within f / 2 digits, and the runs left
' are summed in fixed point: S = T1 / Q1 + (P1 / Q1) (T2 / Q2 + ...).
Private Function KmSeriesSum(kind, u, v, count, f)
    Dim small, pp, qq, tt, parts, j, av, bv, pv, qv, tv, started, half, i, longest, total, part
    Dim uv, vv, zeros
    If count < 1 Then
        KmSeriesSum = "0"
        Exit Function
    End If
    ReDim pp(count)
    ReDim qq(count)
    ReDim tt(count)
    parts = 0
    If kind = 1 Then small = Len(u) <= 7 And Len(v) <= 7 Else small = Len(KmMagnitude(u)) <= 7 And v <= 5
    If small Then
        started = False
        uv = CDbl(u)
        If kind = 1 Then vv = CDbl(v) Else vv = 10 ^ v
        For j = 1 To count
            Select Case kind
                Case 0
                    av = uv
                    bv = j * vv
                Case 1
                    av = 2 * j * uv
                    bv = (2 * j + 1) * vv
                Case 2
                    av = uv
                    bv = (2 * j - 1) * (2 * j) * vv
                Case 3
                    av = uv
                    bv = (2 * j) * (2 * j + 1) * vv
            End Select
            If started Then
                If Abs(pv * av) < 4E+14 And qv * bv < 4E+14 And Abs(tv * bv) + Abs(pv * av) < 4E+14 Then
                    tv = tv * bv + pv * av
                    pv = pv * av
                    qv = qv * bv
                Else
                    pp(parts) = CStr(pv)
                    qq(parts) = CStr(qv)
                    tt(parts) = CStr(tv)
                    parts = parts + 1
                    started = False
                End If
            End If
            If Not started Then
                pv = av
                qv = bv
                tv = av
                started = True
            End If
        Next
        pp(parts) = CStr(pv)
        qq(parts) = CStr(qv)
        tt(parts) = CStr(tv)
        parts = parts + 1
    Else
        If kind <> 1 Then zeros = String(v, "0")
        For j = 1 To count
            Select Case kind
                Case 0
                    pp(parts) = u
                    qq(parts) = j & zeros
                Case 1
                    pp(parts) = kestrumArithm.imult(CStr(2 * j), u)
                    qq(parts) = kestrumArithm.imult(CStr(2 * j + 1), v)
                Case 2
                    pp(parts) = u
                    qq(parts) = CStr((2 * j - 1) * (2 * j)) & zeros
                Case 3
                    pp(parts) = u
                    qq(parts) = CStr((2 * j) * (2 * j + 1)) & zeros
            End Select
            tt(parts) = pp(parts)
            parts = parts + 1
        Next
    End If
    Do While parts > 1
        longest = 0
        For i = 0 To parts - 1
            If Len(qq(i)) > longest Then longest = Len(qq(i))
        Next
        If longest > f \ 2 Then Exit Do
        half = parts \ 2
        For i = 0 To half - 1
            tt(i) = kestrumArithm.iadd(kestrumArithm.imult(tt(2 * i), qq(2 * i + 1)), _
                kestrumArithm.imult(pp(2 * i), tt(2 * i + 1)))
            pp(i) = kestrumArithm.imult(pp(2 * i), pp(2 * i + 1))
            qq(i) = kestrumArithm.imult(qq(2 * i), qq(2 * i + 1))
        Next
        If parts Mod 2 = 1 Then
            pp(half) = pp(parts - 1)
            qq(half) = qq(parts - 1)
            tt(half) = tt(parts - 1)
            half = half + 1
        End If
        parts = half
    Loop
    total = "0"
    For i = parts - 1 To 0 Step -1
        part = KmQuotient(KmShift(tt(i), f), qq(i))
        If i < parts - 1 Then
            part = kestrumArithm.iadd(part, KmCut(kestrumArithm.imult( _
                KmQuotient(KmShift(pp(i), f), qq(i)), total), f))
        End If
        total = part
    Next
    KmSeriesSum = total
End Function

' ---------------------------------------------------------------------------------------------
' Angles
' ---------------------------------------------------------------------------------------------

' sqrt(1 - a^2) for a = x / 10^xs, |a| <= 1, as Array(root, g): root / 10^g within a unit, with
' g = max(xs, places + 30) so that a is exact at that scale (a * 10^g = x * 10^(g - xs)).
Private Function KmCosine(fn, x, xs, places)
    Dim g, d
    If kestrumArithm.icomp(KmMagnitude(x), KmShift("1", xs)) > 0 Then
        KmRefuse fn, "a", "is outside -1 ... 1"
    End If
    KmCheckWorking fn, places + KM_GUARD
    g = places + 30
    If xs > g Then g = xs
    d = kestrumArithm.isub(KmShift("1", 2 * xs), kestrumArithm.imult(x, x))
    KmCosine = Array(KmIsqrt(KmShift(d, 2 * (g - xs))), g - xs)
End Function

' The angle of the point (v, u) (integers, not both 0) rounded to places: 0 exactly when u is 0
' and v > 0, otherwise from KmAngleFixed, within 5 units.
Private Function KmAngleRound(fn, u, v, places, md)
    Dim guard, approx, result
    If u = "0" And Not KmIsNegative(v) Then
        KmAngleRound = "0"
        Exit Function
    End If
    guard = KM_GUARD
    Do
        KmCheckWorking fn, places + guard + 20
        approx = KmAngleFixed(u, v, places + guard)
        If KmRoundKnown(KmMagnitude(approx), 5, guard, places, md, KmIsNegative(u), result) Then Exit Do
        guard = guard * 2
    Loop
    KmAngleRound = result
End Function

' atan2(u, v) * 10^w within 5 units, for integers u and v not both 0.
Private Function KmAngleFixed(u, v, w)
    Dim t
    If v = "0" Then
        KmAngleFixed = KmSigned(KmQuotient(KmPiConst(w), "2"), KmIsNegative(u))
        Exit Function
    End If
    t = KmAtnFixed(u, v, w)
    If KmIsNegative(v) Then
        If KmIsNegative(u) Then
            t = kestrumArithm.isub(t, KmPiConst(w))
        Else
            t = kestrumArithm.iadd(t, KmPiConst(w))
        End If
    End If
    KmAngleFixed = t
End Function

' atan(n / d) * 10^w within 3 units, for integers n and d <> 0. With t = |n / d| (or |d / n| when
' that is smaller: atan t = pi/2 - atan(1 / t)), r halvings t / (1 + sqrt(1 + t^2)) bring t below
' 10^-(1 + sqrt(w) / 12); then atan t = atan c + atan((t - c) / (1 + t c)) where c is t cut to
' 2, 4, 8, ... digits, each atan c from Euler's series. f = w + 0.302 r + 8 digits leave the
' errors, times 2^r, below a unit.
Private Function KmAtnFixed(n, d, w)
    Dim r, f, one, nn, dd, inv, t, i, total, lo, hi, part, num, den
    r = Int(3.33 * (1 + Sqr(w) / 12)) + 1
    f = w + Int(0.302 * r) + 8
    one = "1" & String(f, "0")
    nn = KmMagnitude(n)
    dd = KmMagnitude(d)
    inv = kestrumArithm.icomp(nn, dd) > 0
    If inv Then t = KmQuotient(KmShift(dd, f), nn) Else t = KmQuotient(KmShift(nn, f), dd)
    For i = 1 To r
        If t = "0" Then Exit For
        ' sqrt(1 + t^2) <= 1 + t^2 / 2: Newton's iteration starts there.
        num = kestrumArithm.imult(t, t)
        den = KmSqrtBelow(kestrumArithm.iadd(KmShift(one, f), num), _
            kestrumArithm.iadd(kestrumArithm.iadd(one, KmCut(num, f)), "1"))
        t = KmQuotient(KmShift(t, f), kestrumArithm.iadd(one, den))
    Next
    total = "0"
    lo = 0
    hi = 2
    Do While t <> "0"
        If hi > f Then hi = f
        part = KmCut(t, f - hi)
        If part <> "0" Then
            total = kestrumArithm.iadd(total, KmAtnPart(part, hi, f))
            num = kestrumArithm.isub(t, KmShift(part, f - hi))
            den = kestrumArithm.iadd(one, KmCut(kestrumArithm.imult(t, part), hi))
            t = KmQuotient(KmShift(num, f), den)
        End If
        lo = hi
        hi = hi * 2
    Loop
    total = kestrumArithm.imult(total, KmPower("2", r))
    If inv Then total = kestrumArithm.isub(KmQuotient(KmPiConst(f), "2"), total)
    KmAtnFixed = KmSigned(KmCut(total, f - w), KmIsNegative(n) Xor KmIsNegative(d))
End Function

' atan(c) * 10^f for c = u / 10^v in (0, 1/10): c / (1 + c^2) times Euler's series
' sum (2n)!! / (2n + 1)!! y^n with y = c^2 / (1 + c^2) = u^2 / (u^2 + 10^(2v)).
Private Function KmAtnPart(u, v, f)
    Dim uu, vv, count, prefix
    uu = kestrumArithm.imult(u, u)
    vv = kestrumArithm.iadd(uu, KmShift("1", 2 * v))
    count = Int((f + 2) / (KmLog10Mag(vv, 0) - KmLog10Mag(uu, 0))) + 1
    prefix = KmQuotient(KmShift(u, v + f), vv)
    KmAtnPart = KmCut(kestrumArithm.imult(prefix, kestrumArithm.iadd("1" & String(f, "0"), _
        KmSeriesSum(1, uu, vv, count, f))), f)
End Function

' Sine (which 0), cosine (1) or tangent (2) of a, rounded: exact only at a = 0; otherwise from
' KmSinCosFixed within 3 units, with more guard digits while the approximation is too near 0
' (its sign unknown) or does not settle the rounding. The tangent s / c takes 2z more digits
' when c has z zeros after the point: its error is then below a fifth of a unit.
Private Function KmTrig(fn, a, places, mode, which)
    Dim x, xs, p, md, guard, w, sc, approx, z, result
    KmStart
    KmRead fn, "a", a, x, xs
    p = KmReadPlaces(fn, places)
    md = KmMode(fn, mode)
    KmCheckWorking fn, p + KM_GUARD
    If x = "0" Then
        If which = 1 Then KmTrig = "1" Else KmTrig = "0"
        Exit Function
    End If
    guard = KM_GUARD
    Do
        w = p + guard
        KmCheckWorking fn, w + Len(x) - xs + 30
        sc = KmSinCosFixed(x, xs, w)
        If which = 2 Then
            z = w - Len(KmMagnitude(sc(1)))
            If z > 0 And Len(KmMagnitude(sc(1))) > 1 Then
                KmCheckWorking fn, w + 2 * z + 2 + Len(x) - xs + 30
                sc = KmSinCosFixed(x, xs, w + 2 * z + 2)
            End If
            If Len(KmMagnitude(sc(1))) > 1 Then
                approx = KmQuotient(KmShift(sc(0), w), sc(1))
            Else
                approx = "0"
            End If
        Else
            approx = sc(which)
        End If
        If KmRoundNear(KmMagnitude(approx), 3, guard, p, md, KmIsNegative(approx), result) Then Exit Do
        guard = guard * 2
    Loop
    KmTrig = result
End Function

' Array(sin, cos) of x / 10^xs, each times 10^w within 3 units. x = k pi/2 + r with |r| <= pi/4,
' pi carried to as many more digits as x has whole digits; r / 2^s below 10^-(1 + sqrt(w) / 12)
' is split into its digit groups 1-2, 3-4, 5-8, ..., whose sines and cosines come from their
' series and join by the addition formulas; s doublings (sin 2t = 2 sin t cos t,
' cos 2t = (cos t - sin t)(cos t + sin t)) give sin r and cos r, errors times 2^s.
Private Function KmSinCosFixed(x, xs, w)
    Dim whole, g, half, v, k, r, s, f, one, d, neg, lo, hi, part, sn, cs, ps, pc, t, i, quarter
    whole = Len(KmMagnitude(x)) - xs
    If whole < 0 Then whole = 0
    s = Int(3.33 * (1 + Sqr(w) / 12)) + 1
    f = w + Int(0.302 * s) + 8
    g = f + whole + 4
    half = KmQuotient(KmPiConst(g), "2")
    v = KmCut(x, xs - g)
    k = KmQuotient(kestrumArithm.iadd(KmMagnitude(v), KmQuotient(half, "2")), half)
    r = kestrumArithm.isub(KmMagnitude(v), kestrumArithm.imult(k, half))
    If KmIsNegative(v) Then r = kestrumArithm.isub("0", r)
    r = KmCut(r, whole + 4)
    quarter = CLng(Right(k, 2)) Mod 4
    If KmIsNegative(v) Then quarter = (4 - quarter) Mod 4
    ' r / 2^s = r * 5^s / 10^s
    r = KmCut(kestrumArithm.imult(r, KmPower("5", s)), s)
    one = "1" & String(f, "0")
    neg = KmIsNegative(r)
    d = KmMagnitude(r)
    If Len(d) < f Then d = String(f - Len(d), "0") & d
    sn = "0"
    cs = one
    lo = 0
    hi = 2
    Do While lo < f
        If hi > f Then hi = f
        part = KmCanonical(Mid(d, lo + 1, hi - lo))
        If part <> "0" Then
            t = KmSinCosPart(KmSigned(part, neg), hi, f)
            ps = sn
            pc = cs
            sn = KmCut(kestrumArithm.iadd(kestrumArithm.imult(ps, t(1)), kestrumArithm.imult(pc, t(0))), f)
            cs = KmCut(kestrumArithm.isub(kestrumArithm.imult(pc, t(1)), kestrumArithm.imult(ps, t(0))), f)
        End If
        lo = hi
        hi = hi * 2
    Loop
    For i = 1 To s
        t = KmCut(kestrumArithm.imult(kestrumArithm.iadd(sn, sn), cs), f)
        cs = KmCut(kestrumArithm.imult(kestrumArithm.isub(cs, sn), kestrumArithm.iadd(cs, sn)), f)
        sn = t
    Next
    sn = KmCut(sn, f - w)
    cs = KmCut(cs, f - w)
    Select Case quarter
        Case 0: KmSinCosFixed = Array(sn, cs)
        Case 1: KmSinCosFixed = Array(cs, kestrumArithm.isub("0", sn))
        Case 2: KmSinCosFixed = Array(kestrumArithm.isub("0", sn), kestrumArithm.isub("0", cs))
        Case 3: KmSinCosFixed = Array(kestrumArithm.isub("0", cs), sn)
    End Select
End Function

' Array(sin c, cos c) * 10^f for c = u / 10^v, |c| < 1/10: c times 1 + the sum of the products
' of -u^2 / ((2j)(2j + 1) 10^(2v)) with n terms, 2n size + log10((2n)!) >= f + 1 (bisection on
' Stirling's bound), and cos c = sqrt(1 - sin^2 c), whose error is a tenth of the sine's and a
' unit.
Private Function KmSinCosPart(u, v, f)
    Dim size, n, lo, hi, uu, one, sn
    size = -KmLog10Mag(u, v)
    lo = 0
    hi = f + 2
    Do While hi - lo > 1
        n = (lo + hi) \ 2
        If 2 * n * size + ((2 * n + 0.5) * Log(2 * n) - 2 * n + 0.9189) / Log(10) >= f + 1 Then
            hi = n
        Else
            lo = n
        End If
    Loop
    uu = kestrumArithm.isub("0", kestrumArithm.imult(u, u))
    one = "1" & String(f, "0")
    sn = KmCut(kestrumArithm.imult(u, kestrumArithm.iadd(one, KmSeriesSum(3, uu, 2 * v, hi, f))), v)
    KmSinCosPart = Array(sn, KmIsqrt(kestrumArithm.isub(KmShift(one, f), kestrumArithm.imult(sn, sn))))
End Function

' ---------------------------------------------------------------------------------------------
' Formulas (KEval): reading. A formula is cut into tokens, Array(kind, text, column) with the
' 1-based column of the token's first character: kind "number", "name", one of + - * / ^ ( ) , =
' as itself, "?" for a character that starts no token, and "end" at the column past the last
' character. The parser makes a tree of nodes Array(kind, column, depth, operands, value): kind
' "number" (value its text), "pi", "e", "neg", one of + - * / ^, or a function's name in lower
' case (value the rounding mode of round); operands is an array of nodes.
' ---------------------------------------------------------------------------------------------

' The tree of the formula t; error 5 with the column of the first fault.
Private Function KmParseFormula(t)
    Dim tree
    kmTokens = KmTokenize(t)
    kmTokenAt = 0
    kmNesting = 0
    tree = KmParseSum()
    KmExpectEnd
    KmParseFormula = tree
End Function

Private Function KmTokenize(t)
    Dim tokens, count, at, length, kind
    ReDim tokens(Len(t))
    count = 0
    at = 1
    Do While at <= Len(t)
        If KmCharIn(t, at, " " & vbTab) Then
            at = at + 1
        Else
            length = KmNumberLength(t, at)
            If length > 0 Then
                kind = "number"
            ElseIf KmCharIn(t, at, KM_LETTERS) Then
                kind = "name"
                length = 1
                Do While KmCharIn(t, at + length, KM_LETTERS & "0123456789_")
                    length = length + 1
                Loop
            ElseIf KmCharIn(t, at, "+-*/^(),=") Then
                kind = Mid(t, at, 1)
                length = 1
            Else
                kind = "?"
                length = 1
            End If
            tokens(count) = Array(kind, Mid(t, at, length), at)
            count = count + 1
            at = at + length
        End If
    Loop
    tokens(count) = Array("end", "", Len(t) + 1)
    ReDim Preserve tokens(count)
    KmTokenize = tokens
End Function

' Whether the character at position i of t is one of chars (False past the end).
Private Function KmCharIn(t, i, chars)
    Dim c
    c = Mid(t, i, 1)
    KmCharIn = Len(c) = 1 And InStr(chars, c) > 0
End Function

' The length of the number at position at of t: digits with at most one point, at least one
' digit; 0 when there is none.
Private Function KmNumberLength(t, at)
    Dim i, digits
    i = at
    digits = 0
    Do While KmCharIn(t, i, "0123456789")
        i = i + 1
        digits = digits + 1
    Loop
    If Mid(t, i, 1) = "." Then
        i = i + 1
        Do While KmCharIn(t, i, "0123456789")
            i = i + 1
            digits = digits + 1
        Loop
    End If
    If digits = 0 Then KmNumberLength = 0 Else KmNumberLength = i - at
End Function

Private Function KmPeekKind()
    KmPeekKind = kmTokens(kmTokenAt)(0)
End Function

' The next token, which is then passed (the end stays).
Private Function KmNextToken()
    KmNextToken = kmTokens(kmTokenAt)
    If kmTokens(kmTokenAt)(0) <> "end" Then kmTokenAt = kmTokenAt + 1
End Function

Private Sub KmSyntaxError(what, column)
    Err.Raise 5, KM_SOURCE, "KEval: " & what & " at column " & column
End Sub

' A node; a tree deeper than KM_EVAL_DEPTH is refused.
Private Function KmNode(kind, column, operands, value)
    Dim depth, operand
    depth = 1
    For Each operand In operands
        If operand(2) + 1 > depth Then depth = operand(2) + 1
    Next
    If depth > KM_EVAL_DEPTH Then KmSyntaxError "formula nested too deeply", column
    KmNode = Array(kind, column, depth, operands, value)
End Function

' Terms joined by + and -, from the left.
Private Function KmParseSum()
    Dim tree, token
    tree = KmParseProduct()
    Do While KmPeekKind() = "+" Or KmPeekKind() = "-"
        token = KmNextToken()
        tree = KmNode(token(0), token(2), Array(tree, KmParseProduct()), Empty)
    Loop
    KmParseSum = tree
End Function

' Factors joined by * and /, from the left.
Private Function KmParseProduct()
    Dim tree, token
    tree = KmParseSigned()
    Do While KmPeekKind() = "*" Or KmPeekKind() = "/"
        token = KmNextToken()
        tree = KmNode(token(0), token(2), Array(tree, KmParseSigned()), Empty)
    Loop
    KmParseProduct = tree
End Function

' A power with any number of signs in front: -2^2 is -(2^2).
Private Function KmParseSigned()
    Dim token
    token = kmTokens(kmTokenAt)
    If token(0) = "-" Then
        KmNextToken
        KmParseSigned = KmNode("neg", token(2), Array(KmParseSigned()), Empty)
    ElseIf token(0) = "+" Then
        KmNextToken
        KmParseSigned = KmParseSigned()
    Else
        KmParseSigned = KmParsePower()
    End If
End Function

' An operand, or an operand ^ a signed power: right to left, 2^3^2 is 2^(3^2), 2^-1 is 1/2.
Private Function KmParsePower()
    Dim base, token
    base = KmParseOperand()
    If KmPeekKind() <> "^" Then
        KmParsePower = base
        Exit Function
    End If
    token = KmNextToken()
    KmParsePower = KmNode("^", token(2), Array(base, KmParseSigned()), Empty)
End Function

' A number, a name (constant or call) or a formula in parentheses.
Private Function KmParseOperand()
    Dim token, tree
    token = kmTokens(kmTokenAt)
    Select Case token(0)
        Case "number"
            KmNextToken
            KmParseOperand = KmNode("number", token(2), Array(), KNorm(token(1)))
        Case "name"
            KmParseOperand = KmParseName()
        Case "("
            KmNextToken
            kmNesting = kmNesting + 1
            If kmNesting > KM_EVAL_DEPTH Then KmSyntaxError "formula nested too deeply", token(2)
            tree = KmParseSum()
            kmNesting = kmNesting - 1
            KmExpect ")", "missing ')'"
            KmParseOperand = tree
        Case "?"
            KmUnexpected token
        Case Else
            KmSyntaxError "missing operand", token(2)
    End Select
End Function

Private Function KmParseName()
    Dim token, fn
    token = KmNextToken()
    fn = LCase(token(1))
    If Not IsEmpty(KmArity(fn)) Then
        KmParseName = KmParseCall(fn, token(2))
    ElseIf fn = "pi" Or fn = "e" Then
        KmParseName = KmNode(fn, token(2), Array(), Empty)
    Else
        KmSyntaxError "unknown name " & token(1), token(2)
    End If
End Function

' The fewest and the most arguments of a function, Array(min, max); Empty for another name.
Private Function KmArity(fn)
    Select Case fn
        Case "sqrt", "ln", "log10", "exp", "sin", "cos", "tan", "asin", "acos", "atan", "abs", "fact"
            KmArity = Array(1, 1)
        Case "root", "log", "atan2", "binom", "gcd", "lcm", "quot", "mod"
            KmArity = Array(2, 2)
        Case "round"
            KmArity = Array(2, 3)
        Case Else
            KmArity = Empty
    End Select
End Function

' The arguments of the function fn (at column) in parentheses; the third argument of round is
' a rounding mode's name.
Private Function KmParseCall(fn, column)
    Dim arity, args, count, values, mode, counted
    arity = KmArity(fn)
    If KmPeekKind() <> "(" Then KmSyntaxError "missing '(' after " & fn, kmTokens(kmTokenAt)(2)
    KmNextToken
    If arity(0) = arity(1) Then
        counted = arity(0) & " argument"
        If arity(0) > 1 Then counted = counted & "s"
    Else
        counted = arity(0) & " or " & arity(1) & " arguments"
    End If
    ReDim args(arity(1) - 1)
    count = 0
    values = 0
    mode = "HALF_UP"
    Do
        If fn = "round" And count = 2 Then
            mode = KmParseModeName()
        Else
            args(values) = KmParseSum()
            values = values + 1
        End If
        count = count + 1
        If KmPeekKind() <> "," Then Exit Do
        If count = arity(1) Then KmSyntaxError fn & " takes " & counted, column
        KmNextToken
    Loop
    KmExpect ")", "missing ')'"
    If count < arity(0) Then KmSyntaxError fn & " takes " & counted, column
    ReDim Preserve args(values - 1)
    KmParseCall = KmNode(fn, column, args, mode)
End Function

Private Function KmParseModeName()
    Dim token
    token = kmTokens(kmTokenAt)
    If token(0) <> "name" Then KmSyntaxError "rounding mode expected", token(2)
    KmNextToken
    Select Case UCase(token(1))
        Case "HALF_UP", "HALF_EVEN", "HALF_DOWN", "UP", "DOWN", "CEILING", "FLOOR"
            KmParseModeName = UCase(token(1))
        Case Else
            KmSyntaxError "unknown rounding mode " & token(1), token(2)
    End Select
End Function

' Passes a token of the kind; at the end names what is missing, elsewhere what is in the way.
Private Sub KmExpect(kind, missing)
    Dim token
    token = kmTokens(kmTokenAt)
    If token(0) = kind Then
        KmNextToken
    ElseIf token(0) = "end" Then
        KmSyntaxError missing, token(2)
    Else
        KmUnexpected token
    End If
End Sub

Private Sub KmExpectEnd()
    Dim token
    token = kmTokens(kmTokenAt)
    If token(0) = ")" Then KmSyntaxError "unmatched ')'", token(2)
    If token(0) <> "end" Then KmUnexpected token
End Sub

Private Sub KmUnexpected(token)
    Select Case token(0)
        Case "number", "fn", "("
            KmSyntaxError "missing operator", token(2)
        Case "?"
            KmSyntaxError "unexpected character '" & token(1) & "'", token(2)
        Case Else
            KmSyntaxError "unexpected '" & token(1) & "'", token(2)
    End Select
End Sub

' ---------------------------------------------------------------------------------------------
' Formulas (KEval): values. A value is held as bounds Array(lo, hi), number texts in normal form
' with lo <= hi around the exact value; lo = hi is the exact value. A formula is evaluated with
' kmEvalDigits = places + guard digits: + - * are exact and then rounded outward (lo down, hi up)
' to kmEvalDigits fraction digits, or more for a value below 1, as many more as it has zeros
' after the point; a function is rounded outward at its ends the same way. When the bounds of
' the result round alike, that is the result; otherwise the guard digits double. A step that the
' bounds cannot decide (the sign of a divisor, whether a number is whole) asks for more digits,
' except on the last try (guard digits >= max(60, places)), which takes the boundary value: a
' divisor or logarithm's argument that may be 0 is 0, a number that may be whole n is n, and a
' result still between two roundings is the rounding boundary between them.
' ---------------------------------------------------------------------------------------------

' The formula's value rounded to places in mode md.
Private Function KmEvalRound(tree, places, md)
    Dim limit, guard, bounds, result
    limit = 60
    If places > limit Then limit = places
    guard = KM_GUARD
    Do
        kmEvalDigits = places + guard
        KmCheckWorking "KEval", kmEvalDigits
        kmEvalAtLimit = guard >= limit
        bounds = KmEvalTry(tree)
        If Not IsEmpty(bounds) Then
            result = KmEvalRoundText(bounds(0), places, md)
            If result = KmEvalRoundText(bounds(1), places, md) Then Exit Do
            If kmEvalAtLimit Then
                result = KmEvalBoundary(bounds, places, md)
                Exit Do
            End If
        End If
        guard = guard * 2
    Loop
    KmEvalRound = result
End Function

' The bounds of the tree's value at the working digits, or Empty when a step needs more digits.
' Errors of the module's functions come through as KEval's.
Private Function KmEvalTry(tree)
    Dim bounds, number, source, description
    On Error Resume Next
    bounds = KmEvalNode(tree)
    number = Err.Number
    source = Err.Source
    description = Err.Description
    On Error GoTo 0
    If number = KM_EVAL_MORE Then
        KmEvalTry = Empty
    ElseIf number <> 0 Then
        If Left(description, 7) <> "KEval: " Then description = "KEval: " & description
        Err.Raise number, source, description
    Else
        KmEvalTry = bounds
    End If
End Function

' A step that the bounds cannot decide: more digits, except on the last try, where the caller
' goes on with the boundary value.
Private Sub KmEvalUndecided()
    If Not kmEvalAtLimit Then Err.Raise KM_EVAL_MORE, KM_SOURCE, "KEval: more digits needed"
End Sub

Private Sub KmEvalRefuse(why)
    Err.Raise 5, KM_SOURCE, "KEval: " & why
End Sub

Private Sub KmEvalDivisionByZero()
    Err.Raise 11, KM_SOURCE, "KEval: division by zero"
End Sub

' The rounding in mode md of the boundary between the roundings of bounds: the multiple of
' 10^-places (directed modes) or the midpoint between two (HALF modes) nearest to their middle.
Private Function KmEvalBoundary(bounds, places, md)
    Dim middle, unit, b
    middle = KmEvalMiddle(bounds)
    If Left(md, 5) = "HALF_" Then
        If places >= 0 Then unit = KmFormat("1", places) Else unit = KmShift("1", -places)
        b = KmEvalAdd(KmEvalRoundText(middle, places, "FLOOR"), KmEvalMul(unit, "0.5"))
    Else
        b = KmEvalRoundText(middle, places, "HALF_UP")
    End If
    KmEvalBoundary = KmEvalRoundText(b, places, md)
End Function

Private Function KmEvalMiddle(bounds)
    KmEvalMiddle = KmEvalMul(KmEvalAdd(bounds(0), bounds(1)), "0.5")
End Function

Private Function KmEvalNode(node)
    Dim operands, values, i
    Select Case node(0)
        Case "number"
            KmEvalNode = Array(node(4), node(4))
        Case "pi"
            KmEvalNode = KmEvalPi(0)
        Case "e"
            KmEvalNode = KmEvalE()
        Case Else
            operands = node(3)
            ReDim values(UBound(operands))
            For i = 0 To UBound(operands)
                values(i) = KmEvalNode(operands(i))
            Next
            KmEvalNode = KmEvalOperation(node(0), values, node(4))
    End Select
End Function

' The operator or function kind on the values v; md is round's mode.
Private Function KmEvalOperation(kind, v, md)
    Dim n, k
    Select Case kind
        Case "neg"
            KmEvalOperation = Array(KmEvalNeg(v(0)(1)), KmEvalNeg(v(0)(0)))
        Case "+"
            KmEvalOperation = KmEvalSpan(KmEvalAdd(v(0)(0), v(1)(0)), KmEvalAdd(v(0)(1), v(1)(1)))
        Case "-"
            KmEvalOperation = KmEvalSpan(KmEvalSub(v(0)(0), v(1)(1)), KmEvalSub(v(0)(1), v(1)(0)))
        Case "*"
            KmEvalOperation = KmEvalTimes(v(0), v(1))
        Case "/"
            KmEvalOperation = KmEvalDiv(v(0), v(1))
        Case "^"
            KmEvalOperation = KmEvalPower(v(0), v(1))
        Case "sqrt"
            KmEvalOperation = KmEvalRoot(v(0), "2")
        Case "root"
            KmEvalOperation = KmEvalRoot(v(0), KmEvalWhole(v(1), "root"))
        Case "exp", "atan"
            KmEvalOperation = KmEvalRising(kind, v(0), Empty)
        Case "ln", "log10"
            KmEvalPositive v(0), kind & " of a number <= 0"
            KmEvalOperation = KmEvalRising(kind, v(0), Empty)
        Case "log"
            KmEvalOperation = KmEvalLog(v(0), v(1))
        Case "sin", "cos"
            KmEvalOperation = KmEvalWave(kind, v(0))
        Case "tan"
            KmEvalOperation = KmEvalTan(v(0))
        Case "asin"
            KmEvalOperation = KmEvalRising(kind, KmEvalUnitRange(v(0), kind), Empty)
        Case "acos"
            KmEvalOperation = KmEvalFalling(kind, KmEvalUnitRange(v(0), kind))
        Case "atan2"
            KmEvalOperation = KmEvalAngle(v(0), v(1))
        Case "abs"
            KmEvalOperation = KmEvalAbs(v(0))
        Case "fact"
            n = KmEvalWhole(v(0), kind)
            If KmIsNegative(n) Then KmEvalRefuse "fact of a negative number"
            KmEvalOperation = KmEvalPoint(KFact(n))
        Case "binom"
            n = KmEvalWhole(v(0), kind)
            k = KmEvalWhole(v(1), kind)
            If KmIsNegative(n) Or KmIsNegative(k) Then KmEvalRefuse "binom of a negative number"
            KmEvalOperation = KmEvalPoint(KBinom(n, k))
        Case "gcd"
            KmEvalOperation = KmEvalPoint(KGcd(KmEvalWhole(v(0), kind), KmEvalWhole(v(1), kind)))
        Case "lcm"
            KmEvalOperation = KmEvalPoint(KLcm(KmEvalWhole(v(0), kind), KmEvalWhole(v(1), kind)))
        Case "quot", "mod"
            n = KmEvalWhole(v(0), kind)
            k = KmEvalWhole(v(1), kind)
            If k = "0" Then KmEvalDivisionByZero
            If kind = "quot" Then n = KQuot(n, k) Else n = KMod(n, k)
            KmEvalOperation = KmEvalPoint(n)
        Case "round"
            KmEvalOperation = KmEvalRoundTo(v(0), KmEvalWhole(v(1), kind), md)
    End Select
End Function

Private Function KmEvalPoint(x)
    KmEvalPoint = Array(x, x)
End Function

' The number of zeros after the point of |x| < 1 (0.00123: 2); 0 for |x| >= 1.
Private Function KmEvalZeros(x)
    Dim d
    d = KmMagnitude(x)
    KmEvalZeros = 0
    If Left(d, 2) = "0." Then KmEvalZeros = KmLeadingZeros(Mid(d, 3))
End Function

' The exact x rounded down, or up when up is True, to the fraction digits a value keeps.
Private Function KmEvalOut(x, up)
    Dim md
    If up Then md = "CEILING" Else md = "FLOOR"
    KmEvalOut = KmEvalRoundText(x, kmEvalDigits + KmEvalZeros(x), md)
End Function

' Bounds from exact ends.
Private Function KmEvalSpan(lo, hi)
    KmEvalSpan = Array(KmEvalOut(lo, False), KmEvalOut(hi, True))
End Function

Private Function KmEvalTimes(a, b)
    Dim products, lo, hi, i
    products = Array(KmEvalMul(a(0), b(0)), KmEvalMul(a(0), b(1)), KmEvalMul(a(1), b(0)), KmEvalMul(a(1), b(1)))
    lo = products(0)
    hi = products(0)
    For i = 1 To 3
        If KmEvalCmp(products(i), lo) < 0 Then lo = products(i)
        If KmEvalCmp(products(i), hi) > 0 Then hi = products(i)
    Next
    KmEvalTimes = KmEvalSpan(lo, hi)
End Function

' 1 or -1 when every number within the bounds a has that sign, 0 for the exact 0, 2 when they
' hold 0 and other numbers.
Private Function KmEvalSign(a)
    If a(0) = "0" And a(1) = "0" Then
        KmEvalSign = 0
    ElseIf Not KmIsNegative(a(0)) And a(0) <> "0" Then
        KmEvalSign = 1
    ElseIf KmIsNegative(a(1)) Then
        KmEvalSign = -1
    Else
        KmEvalSign = 2
    End If
End Function

' a / b: a divisor that may be 0 is 0 on the last try. Each end of the quotient comes from the
' ends of a and b that make it smallest or largest.
Private Function KmEvalDiv(a, b)
    Dim sign, lo, hi, d
    sign = KmEvalSign(b)
    If sign = 2 Then KmEvalUndecided
    If sign = 0 Or sign = 2 Then KmEvalDivisionByZero
    If a(0) = a(1) And b(0) = b(1) Then
        KmEvalDiv = KmEvalAt("div", a(0), b(0))
        Exit Function
    End If
    If sign = 1 Then
        If KmIsNegative(a(0)) Then lo = b(0) Else lo = b(1)
        If KmIsNegative(a(1)) Then hi = b(1) Else hi = b(0)
        lo = KmEvalBound("div", a(0), lo, False, d)
        hi = KmEvalBound("div", a(1), hi, True, d)
    Else
        If KmIsNegative(a(1)) Then lo = b(0) Else lo = b(1)
        If KmIsNegative(a(0)) Then hi = b(1) Else hi = b(0)
        lo = KmEvalBound("div", a(1), lo, False, d)
        hi = KmEvalBound("div", a(0), hi, True, d)
    End If
    KmEvalDiv = Array(lo, hi)
End Function

' The module's fn of x (and y) rounded down, or up when up is True, to d places: first
' kmEvalDigits, then, when the result shows zeros after the point, as many more. A result of 0
' or one unit tells nothing of the size: the places double until it does (an exact 0 is 0 both
' ways), up to KM_EVAL_MOST places.
Private Function KmEvalBound(fn, x, y, up, d)
    Dim r, zeros
    d = kmEvalDigits
    Do
        r = KmEvalCall(fn, x, y, d, up)
        If r = "0" Then
            If KmEvalCall(fn, x, y, d, Not up) = "0" Then Exit Do
        End If
        zeros = KmEvalZeros(r)
        If r <> "0" And zeros < d - 1 Then
            If kmEvalDigits + zeros > d Then
                d = kmEvalDigits + zeros
                r = KmEvalCall(fn, x, y, d, up)
            End If
            Exit Do
        End If
        If 2 * d > KM_EVAL_MOST Then Exit Do
        d = 2 * d
    Loop
    KmEvalBound = r
End Function

' Bounds of fn at the numbers x (and y): the result rounded down to d places and one unit more,
' or when it has fewer than d fraction digits (it may be exact), rounded up as well.
Private Function KmEvalAt(fn, x, y)
    Dim lo, d, point
    lo = KmEvalBound(fn, x, y, False, d)
    point = InStr(lo, ".")
    If point = 0 Or Len(lo) - point < d Then
        KmEvalAt = Array(lo, KmEvalCall(fn, x, y, d, True))
    Else
        KmEvalAt = Array(lo, KmEvalAdd(lo, KmFormat("1", d)))
    End If
End Function

Private Function KmEvalCall(fn, x, y, d, up)
    Dim md
    If up Then md = "CEILING" Else md = "FLOOR"
    Select Case fn
        Case "div": KmEvalCall = KmEvalQuotient(x, y, d, md)
        Case "power": KmEvalCall = KPower(x, y, d, md)
        Case "root": KmEvalCall = KRoot(x, y, d, md)
        Case "sqrt": KmEvalCall = KSqrt(x, d, md)
        Case "exp": KmEvalCall = KExp(x, d, md)
        Case "ln": KmEvalCall = KLn(x, d, md)
        Case "log10": KmEvalCall = KLog10(x, d, md)
        Case "log": KmEvalCall = KLog(x, y, d, md)
        Case "sin": KmEvalCall = KSin(x, d, md)
        Case "cos": KmEvalCall = KCos(x, d, md)
        Case "tan": KmEvalCall = KTan(x, d, md)
        Case "atan": KmEvalCall = KAtn(x, d, md)
        Case "asin": KmEvalCall = KAsin(x, d, md)
        Case "acos": KmEvalCall = KAcos(x, d, md)
        Case "atan2": KmEvalCall = KAtan2(x, y, d, md)
    End Select
End Function

' An increasing fn (with its second argument y) on the bounds a.
Private Function KmEvalRising(fn, a, y)
    Dim d
    If a(0) = a(1) Then
        KmEvalRising = KmEvalAt(fn, a(0), y)
    Else
        KmEvalRising = Array(KmEvalBound(fn, a(0), y, False, d), KmEvalBound(fn, a(1), y, True, d))
    End If
End Function

Private Function KmEvalFalling(fn, a)
    Dim d
    If a(0) = a(1) Then
        KmEvalFalling = KmEvalAt(fn, a(0), Empty)
    Else
        KmEvalFalling = Array(KmEvalBound(fn, a(1), Empty, False, d), _
            KmEvalBound(fn, a(0), Empty, True, d))
    End If
End Function

' The smallest and the largest of fn(y, x) over the corners of the bounds y and x.
Private Function KmEvalCorners(fn, y, x)
    Dim i, j, lastY, lastX, lo, hi, r
    lastY = 1
    If y(0) = y(1) Then lastY = 0
    lastX = 1
    If x(0) = x(1) Then lastX = 0
    For i = 0 To lastY
        For j = 0 To lastX
            r = KmEvalAt(fn, y(i), x(j))
            If IsEmpty(lo) Then
                lo = r(0)
                hi = r(1)
            Else
                If KmEvalCmp(r(0), lo) < 0 Then lo = r(0)
                If KmEvalCmp(r(1), hi) > 0 Then hi = r(1)
            End If
        Next
    Next
    KmEvalCorners = Array(lo, hi)
End Function

' Error 5 with why unless every number within the bounds a is positive; bounds that hold 0 and
' positive numbers are taken as 0 on the last try.
Private Sub KmEvalPositive(a, why)
    Dim sign
    sign = KmEvalSign(a)
    If sign = 2 And Not KmIsNegative(a(1)) And a(1) <> "0" Then KmEvalUndecided
    If sign <> 1 Then KmEvalRefuse why
End Sub

' The bounds a as an argument of asin or acos: beyond -1 ... 1 refused, bounds that reach past
' 1 or -1 cut there on the last try.
Private Function KmEvalUnitRange(a, fn)
    Dim lo, hi
    lo = a(0)
    hi = a(1)
    If KmEvalCmp(lo, "1") > 0 Or KmEvalCmp(hi, "-1") < 0 Then KmEvalRefuse fn & " of a number outside -1 ... 1"
    If KmEvalCmp(hi, "1") > 0 Then
        KmEvalUndecided
        hi = "1"
    End If
    If KmEvalCmp(lo, "-1") < 0 Then
        KmEvalUndecided
        lo = "-1"
    End If
    KmEvalUnitRange = Array(lo, hi)
End Function

' The whole number within the bounds a: exact, or on the last try the one nearest their middle.
Private Function KmEvalWhole(a, fn)
    Dim first
    first = KmEvalRoundText(a(0), 0, "CEILING")
    If KmEvalCmp(first, a(1)) > 0 Then KmEvalRefuse fn & " needs a whole number"
    If a(0) <> a(1) Then
        KmEvalUndecided
        first = KmEvalRoundText(KmEvalMiddle(a), 0, "HALF_UP")
    End If
    KmEvalWhole = first
End Function

' The n-th root (n a whole number text) of the bounds a; an even root of bounds that hold 0 and
' negative numbers is 0 on the last try.
Private Function KmEvalRoot(a, n)
    Dim fn
    If KmIsNegative(n) Or n = "0" Then KmEvalRefuse "root needs n >= 1"
    If Not KmIsOdd(n) And KmIsNegative(a(0)) Then
        If KmIsNegative(a(1)) Then KmEvalRefuse "even root of a negative number"
        KmEvalUndecided
        KmEvalRoot = KmEvalPoint("0")
        Exit Function
    End If
    If n = "2" Then fn = "sqrt" Else fn = "root"
    KmEvalRoot = KmEvalRising(fn, a, n)
End Function

' log(a, base) = ln a / ln base; exact when both are exact numbers and the logarithm is rational.
Private Function KmEvalLog(a, base)
    Dim low, high
    KmEvalPositive a, "log of a number <= 0"
    KmEvalPositive base, "log base <= 0"
    low = KmEvalCmp(base(0), "1")
    high = KmEvalCmp(base(1), "1")
    If low <= 0 And high >= 0 Then
        If low < 0 Or high > 0 Then KmEvalUndecided
        KmEvalRefuse "log base 1"
    End If
    If a(0) = a(1) And base(0) = base(1) Then
        KmEvalLog = KmEvalRising("log", a, base(0))
    Else
        KmEvalLog = KmEvalDiv(KmEvalRising("ln", a, Empty), KmEvalRising("ln", base, Empty))
    End If
End Function

Private Function KmEvalAbs(a)
    If Not KmIsNegative(a(0)) Then
        KmEvalAbs = a
    ElseIf KmIsNegative(a(1)) Or a(1) = "0" Then
        KmEvalAbs = Array(KmEvalNeg(a(1)), KmEvalNeg(a(0)))
    ElseIf KmEvalCmp(KmEvalNeg(a(0)), a(1)) > 0 Then
        KmEvalAbs = Array("0", KmEvalNeg(a(0)))
    Else
        KmEvalAbs = Array("0", a(1))
    End If
End Function

' Pi within bounds at kmEvalDigits + extra places.
Private Function KmEvalPi(extra)
    Dim d, p
    d = kmEvalDigits + extra
    p = KmPiConst(d)
    KmEvalPi = Array(KmFormat(kestrumArithm.isub(p, "3"), d), KmFormat(kestrumArithm.iadd(p, "3"), d))
End Function

Private Function KmEvalE()
    Dim e
    e = KmEFixed(kmEvalDigits)
    KmEvalE = Array(KmFormat(kestrumArithm.isub(e, "3"), kmEvalDigits), _
        KmFormat(kestrumArithm.iadd(e, "3"), kmEvalDigits))
End Function

' The bounds a divided by pi/2, pi carried to as many more places as a has whole digits: the
' sine has its peaks where this is odd, the cosine where it is even.
Private Function KmEvalQuarters(a)
    Dim m, extra, halfPi
    m = KmMagnitude(a(0))
    If Len(KmMagnitude(a(1))) > Len(m) Then m = KmMagnitude(a(1))
    extra = InStr(m, ".") - 1
    If extra < 0 Then extra = Len(m)
    halfPi = KmEvalPi(extra)
    KmEvalQuarters = KmEvalDiv(a, Array(KmEvalMul(halfPi(0), "0.5"), KmEvalMul(halfPi(1), "0.5")))
End Function

' sin or cos (fn) of the bounds a: from the ends, widened to 1 or -1 where a holds a peak (k pi/2
' for an odd k for the sine, an even k for the cosine: a maximum when k - shift is 0 mod 4).
Private Function KmEvalWave(fn, a)
    Dim ends, t, shift, k, lo, hi
    If a(0) = a(1) Then
        KmEvalWave = KmEvalRising(fn, a, Empty)
        Exit Function
    End If
    t = KmEvalQuarters(a)
    If KmEvalCmp(KmEvalSub(t(1), t(0)), "4") >= 0 Then
        KmEvalWave = Array("-1", "1")
        Exit Function
    End If
    ends = Array(KmEvalAt(fn, a(0), Empty), KmEvalAt(fn, a(1), Empty))
    lo = ends(0)(0)
    If KmEvalCmp(ends(1)(0), lo) < 0 Then lo = ends(1)(0)
    hi = ends(0)(1)
    If KmEvalCmp(ends(1)(1), hi) > 0 Then hi = ends(1)(1)
    If fn = "sin" Then shift = 1 Else shift = 0
    k = KmEvalRoundText(t(0), 0, "CEILING")
    Do While KmEvalCmp(k, t(1)) <= 0
        Select Case (KmQuarterOf(k) - shift + 4) Mod 4
            Case 0: hi = "1"
            Case 2: lo = "-1"
        End Select
        k = KmEvalAdd(k, "1")
    Loop
    KmEvalWave = Array(lo, hi)
End Function

' k mod 4 in 0 ... 3 for a whole number text k.
Private Function KmQuarterOf(k)
    Dim r
    r = CLng(Right("0" & KmMagnitude(k), 2)) Mod 4
    If KmIsNegative(k) Then r = (4 - r) Mod 4
    KmQuarterOf = r
End Function

' tan of the bounds a, increasing between its poles: bounds that may hold a pole (an odd multiple
' of pi/2) ask for more digits, and on the last try are refused.
Private Function KmEvalTan(a)
    Dim t, k
    If a(0) <> a(1) Then
        t = KmEvalQuarters(a)
        If KmEvalCmp(KmEvalSub(t(1), t(0)), "2") >= 0 Then
            KmEvalUndecided
            KmEvalRefuse "tan where cos is 0"
        End If
        k = KmEvalRoundText(t(0), 0, "CEILING")
        Do While KmEvalCmp(k, t(1)) <= 0
            If KmIsOdd(k) Then
                KmEvalUndecided
                KmEvalRefuse "tan where cos is 0"
            End If
            k = KmEvalAdd(k, "1")
        Loop
    End If
    KmEvalTan = KmEvalRising("tan", a, Empty)
End Function

' atan2(y, x) from the corners of the box of the bounds, where the angle is continuous: a box
' that holds the origin, or that crosses the negative x axis (where the angle jumps from -pi to
' pi), asks for more digits; on the last try y is taken as 0: atan2(0, 0) is refused and
' atan2(0, x < 0) is pi.
Private Function KmEvalAngle(y, x)
    Dim holdsZeroY, holdsZeroX
    holdsZeroY = KmIsNegative(y(0)) Or y(0) = "0"
    holdsZeroY = holdsZeroY And Not KmIsNegative(y(1))
    holdsZeroX = KmIsNegative(x(0)) Or x(0) = "0"
    holdsZeroX = holdsZeroX And Not KmIsNegative(x(1))
    If holdsZeroY And holdsZeroX Then
        If y(0) <> y(1) Or x(0) <> x(1) Then KmEvalUndecided
        KmEvalRefuse "atan2(0, 0)"
    End If
    If KmIsNegative(y(0)) And Not KmIsNegative(y(1)) And KmIsNegative(x(0)) Then
        KmEvalUndecided
        KmEvalAngle = KmEvalPi(0)
        Exit Function
    End If
    KmEvalAngle = KmEvalCorners("atan2", y, x)
End Function

' a^b: for a > 0 from the corners of the module's powers; otherwise b must be whole, or a 0 with
' b > 0. A b that may be whole n is n, an a that may be 0 is 0, on the last try.
Private Function KmEvalPower(a, b)
    Dim n, sign
    If KmEvalSign(a) = 1 Then
        KmEvalPower = KmEvalCorners("power", a, b)
        Exit Function
    End If
    n = Empty
    If KmEvalCmp(KmEvalRoundText(b(0), 0, "CEILING"), b(1)) <= 0 Then n = KmEvalWhole(b, "^")
    If Not IsEmpty(n) Then
        KmEvalPower = KmEvalWholePower(a, n)
        Exit Function
    End If
    sign = KmEvalSign(a)
    If sign = 2 Then
        KmEvalUndecided
        sign = 0
    End If
    If sign = -1 Then KmEvalRefuse "a negative number to a power that is not whole"
    ' 0 to a b that is not whole
    If KmIsNegative(b(0)) Then KmEvalRefuse "0 to a negative power"
    KmEvalPower = KmEvalPoint("0")
End Function

' a^n for a whole number text n and bounds a that may be 0 or negative: from the magnitudes of
' a's ends, an odd n keeping their signs. A negative n divides 1 by a^-n.
Private Function KmEvalWholePower(a, n)
    Dim sign, count, lo, hi, t
    If n = "0" Then
        KmEvalWholePower = KmEvalPoint("1")
        Exit Function
    End If
    sign = KmEvalSign(a)
    If KmIsNegative(n) Then
        If sign = 2 Then KmEvalUndecided
        If sign = 0 Or sign = 2 Then KmEvalRefuse "0 to a negative power"
    End If
    If sign = 0 Then
        KmEvalWholePower = KmEvalPoint("0")
        Exit Function
    End If
    If Len(KmMagnitude(n)) > 9 Then
        If a(0) = "-1" And a(1) = "-1" Then
            KmEvalWholePower = KmEvalPoint(KmSigned("1", KmIsOdd(n)))
            Exit Function
        End If
        Err.Raise 6, KM_SOURCE, "KEval: a power is too large"
    End If
    count = CLng(KmMagnitude(n))
    If sign = -1 Then
        lo = KmEvalPowerOf(KmEvalNeg(a(1)), count, False)
        hi = KmEvalPowerOf(KmEvalNeg(a(0)), count, True)
        If count Mod 2 = 1 Then
            t = lo
            lo = KmEvalNeg(hi)
            hi = KmEvalNeg(t)
        End If
    ElseIf count Mod 2 = 1 Then
        lo = KmEvalNeg(KmEvalPowerOf(KmEvalNeg(a(0)), count, True))
        hi = KmEvalPowerOf(a(1), count, True)
    Else
        lo = "0"
        hi = KmEvalNeg(a(0))
        If KmEvalCmp(a(1), hi) > 0 Then hi = a(1)
        hi = KmEvalPowerOf(hi, count, True)
    End If
    If KmIsNegative(n) Then
        KmEvalWholePower = KmEvalDiv(KmEvalPoint("1"), Array(lo, hi))
    Else
        KmEvalWholePower = Array(lo, hi)
    End If
End Function

' x^count for x >= 0 and count >= 1, each product rounded down, or up when up is True.
Private Function KmEvalPowerOf(x, count, up)
    Dim result, i
    result = "1"
    i = 1
    Do While i * 2 <= count
        i = i * 2
    Loop
    Do While i >= 1
        result = KmEvalOut(KmEvalMul(result, result), up)
        If (count And i) <> 0 Then result = KmEvalOut(KmEvalMul(result, x), up)
        i = i \ 2
    Loop
    KmEvalPowerOf = result
End Function

' round(a, places, mode) within a formula, exact from then on: bounds that round apart are the
' boundary between them on the last try.
Private Function KmEvalRoundTo(a, places, md)
    Dim r
    r = KmEvalRoundText(a(0), places, md)
    If r <> KmEvalRoundText(a(1), places, md) Then
        KmEvalUndecided
        r = KmEvalBoundary(a, CLng(places), md)
    End If
    KmEvalRoundTo = KmEvalPoint(r)
End Function

' Arithmetic on number texts in normal form, as the module's functions give them: read without
' the checks of KmRead.

' The normal-form text t as integer text x and scale xs.
Private Sub KmSplit(t, x, xs)
    Dim point
    point = InStr(t, ".")
    If point = 0 Then
        x = t
        xs = 0
    Else
        xs = Len(t) - point
        x = Left(t, point - 1) & Mid(t, point + 1)
        If KmIsNegative(x) Then
            x = KmSigned(KmCanonical(Mid(x, 2)), True)
        Else
            x = KmCanonical(x)
        End If
    End If
End Sub

Private Function KmEvalAdd(a, b)
    Dim x, xs, y, ys
    KmSplit a, x, xs
    KmSplit b, y, ys
    KmAlign x, xs, y, ys
    KmEvalAdd = KmFormat(kestrumArithm.iadd(x, y), xs)
End Function

Private Function KmEvalSub(a, b)
    Dim x, xs, y, ys
    KmSplit a, x, xs
    KmSplit b, y, ys
    KmAlign x, xs, y, ys
    KmEvalSub = KmFormat(kestrumArithm.isub(x, y), xs)
End Function

Private Function KmEvalMul(a, b)
    Dim x, xs, y, ys
    KmSplit a, x, xs
    KmSplit b, y, ys
    KmEvalMul = KmFormat(kestrumArithm.imult(x, y), xs + ys)
End Function

Private Function KmEvalCmp(a, b)
    Dim x, xs, y, ys
    KmSplit a, x, xs
    KmSplit b, y, ys
    KmAlign x, xs, y, ys
    KmEvalCmp = kestrumArithm.icomp(x, y)
End Function

Private Function KmEvalNeg(a)
    If KmIsNegative(a) Then
        KmEvalNeg = Mid(a, 2)
    Else
        KmEvalNeg = KmSigned(a, True)
    End If
End Function

' a rounded to places (a Long or a whole number text) in mode md.
Private Function KmEvalRoundText(a, places, md)
    Dim x, xs
    KmSplit a, x, xs
    KmEvalRoundText = KmRoundTo(x, xs, CLng(places), md)
End Function

' a / b (b not 0) rounded to places in mode md.
Private Function KmEvalQuotient(a, b, places, md)
    Dim x, xs, y, ys
    KmSplit a, x, xs
    KmSplit b, y, ys
    KmEvalQuotient = KmDivide(x, xs, y, ys, places, md)
End Function

' ---------------------------------------------------------------------------------------------
' Other bases
' ---------------------------------------------------------------------------------------------

' A base argument: a whole number from 2 to 36.
Private Function KmReadBase(fn, base)
    Dim b
    b = KmReadCount(fn, "base", base)
    If b < 2 Or b > 36 Then KmRefuse fn, "base", "is not between 2 and 36"
    KmReadBase = b
End Function

' Whether t (upper case) holds only digits of base b.
Private Function KmIsBaseDigits(t, b)
    Dim rest, i
    rest = t
    For i = 1 To b
        rest = Replace(rest, Mid(KM_BASE_DIGITS, i, 1), "")
    Next
    KmIsBaseDigits = Len(rest) = 0
End Function

' The number of base b digits held as one Long: b^chunk <= 2147483647.
Private Function KmBaseChunk(b)
    Dim c
    c = 1
    Do While CDbl(b) ^ (c + 1) <= KM_MAX_LONG
        c = c + 1
    Loop
    KmBaseChunk = c
End Function

' The magnitude x written in base b without leading zeros. Divide and conquer: x is cut by
' powers(i) = b^(c * 2^i), where c digits of base b fit a Long, and the pieces are written
' alike down to Long values.
Private Function KmBaseText(x, b)
    Dim c, powers, top
    c = KmBaseChunk(b)
    ReDim powers(20)
    powers(0) = CStr(CDbl(b) ^ c)
    top = 0
    ' Squares while they may still be below x; then x < powers(top)^2.
    Do While 2 * Len(powers(top)) - 1 <= Len(x)
        powers(top + 1) = kestrumArithm.imult(powers(top), powers(top))
        top = top + 1
    Loop
    KmBaseText = KmBaseFree(x, powers, top, b, c)
End Function

' x < powers(level)^2 (x < powers(0) for level -1) without leading zeros.
Private Function KmBaseFree(x, powers, level, b, c)
    Dim q, r, er
    If level < 0 Then
        KmBaseFree = KmBaseLeaf(CLng(x), b, 0)
    ElseIf kestrumArithm.icomp(x, powers(level)) < 0 Then
        KmBaseFree = KmBaseFree(x, powers, level - 1, b, c)
    Else
        q = "" : r = "" : er = 0
        kestrumArithm.idiv x, powers(level), q, r, er
        KmBaseFree = KmBaseFree(q, powers, level - 1, b, c) & _
            KmBaseFixed(r, powers, level - 1, b, c)
    End If
End Function

' x < powers(level + 1) written with exactly c * 2^(level + 1) digits.
Private Function KmBaseFixed(x, powers, level, b, c)
    Dim q, r, er
    If x = "0" Then
        KmBaseFixed = String(c * 2 ^ (level + 1), "0")
    ElseIf level < 0 Then
        KmBaseFixed = KmBaseLeaf(CLng(x), b, c)
    Else
        q = "" : r = "" : er = 0
        kestrumArithm.idiv x, powers(level), q, r, er
        KmBaseFixed = KmBaseFixed(q, powers, level - 1, b, c) & _
            KmBaseFixed(r, powers, level - 1, b, c)
    End If
End Function

' The Long v in base b, with zeros in front up to width digits.
Private Function KmBaseLeaf(v, b, width)
    Dim t, rest
    rest = v
    t = ""
    Do
        t = Mid(KM_BASE_DIGITS, rest Mod b + 1, 1) & t
        rest = rest \ b
    Loop While rest > 0
    If Len(t) < width Then t = String(width - Len(t), "0") & t
    KmBaseLeaf = t
End Function

' The value of t, digits of base b in upper case without leading zeros: runs of c digits read
' as Long values, then joined pairwise with the powers b^c, b^(2c), b^(4c), ...
Private Function KmFromBaseText(t, b)
    Dim c, count, parts, i, j, first, last, v, power, half
    c = KmBaseChunk(b)
    count = (Len(t) + c - 1) \ c
    ReDim parts(count - 1)
    For i = 0 To count - 1
        last = Len(t) - i * c
        first = last - c + 1
        If first < 1 Then first = 1
        v = 0
        For j = first To last
            v = v * b + InStr(KM_BASE_DIGITS, Mid(t, j, 1)) - 1
        Next
        parts(i) = CStr(v)
    Next
    power = CStr(CDbl(b) ^ c)
    Do While count > 1
        half = count \ 2
        For i = 0 To half - 1
            parts(i) = kestrumArithm.iadd(kestrumArithm.imult(parts(2 * i + 1), power), _
                parts(2 * i))
        Next
        If count Mod 2 = 1 Then
            parts(half) = parts(count - 1)
            half = half + 1
        End If
        count = half
        If count > 1 Then power = kestrumArithm.imult(power, power)
    Loop
    KmFromBaseText = parts(0)
End Function

' ---------------------------------------------------------------------------------------------
' Primes
' ---------------------------------------------------------------------------------------------

' Fills kmPrimes with the odd primes below KM_SIEVE_LIMIT, and kmGroupProducts with the
' products of runs of them below 2^31: kmGroupFirst holds the index of each run's first prime.
Private Sub KmLoadPrimes()
    Dim composite, primes, products, firsts, count, groups, i, j, product
    If Not IsEmpty(kmPrimes) Then Exit Sub
    ReDim composite(KM_SIEVE_LIMIT)
    ReDim primes(KM_SIEVE_LIMIT \ 2)
    count = 0
    For i = 3 To KM_SIEVE_LIMIT Step 2
        If Not composite(i) Then
            primes(count) = i
            count = count + 1
            For j = i * i To KM_SIEVE_LIMIT Step 2 * i
                composite(j) = True
            Next
        End If
    Next
    ReDim Preserve primes(count - 1)
    ReDim products(count)
    ReDim firsts(count)
    groups = 0
    product = 1
    For i = 0 To count - 1
        If product > KM_MAX_LONG \ primes(i) Or i = 0 Then
            If i > 0 Then products(groups - 1) = CStr(product)
            firsts(groups) = i
            groups = groups + 1
            product = 1
        End If
        product = product * primes(i)
    Next
    products(groups - 1) = CStr(product)
    firsts(groups) = count
    ReDim Preserve products(groups - 1)
    ReDim Preserve firsts(groups)
    kmGroupProducts = products
    kmGroupFirst = firsts
    kmPrimes = primes
End Sub

' x mod kmPrimes(i) for i = 0 ... last: one division by each product of a run of primes, then
' Long remainders.
Private Function KmResidues(x, last)
    Dim residues, g, i, q, r, er, rest
    ReDim residues(last)
    For g = 0 To UBound(kmGroupProducts)
        If kmGroupFirst(g) > last Then Exit For
        q = "" : r = "" : er = 0
        kestrumArithm.idiv x, kmGroupProducts(g), q, r, er
        rest = CLng(r)
        For i = kmGroupFirst(g) To kmGroupFirst(g + 1) - 1
            If i > last Then Exit For
            residues(i) = rest Mod kmPrimes(i)
        Next
    Next
    KmResidues = residues
End Function

' Whether the whole number x (a signed text) is prime.
Private Function KmIsPrime(x)
    Dim residues, i, d, s, xm1, bases
    KmIsPrime = False
    If KmIsNegative(x) Then Exit Function
    If Len(x) = 1 Then
        KmIsPrime = InStr("2357", x) > 0
        Exit Function
    End If
    If Not KmIsOdd(x) Then Exit Function
    ' Trial division by the odd primes below 1000 (the first 167): no factor among them proves
    ' x prime below 1000^2.
    KmLoadPrimes
    residues = KmResidues(x, KM_TRIAL_PRIMES - 1)
    For i = 0 To KM_TRIAL_PRIMES - 1
        If residues(i) = 0 Then
            If Len(x) <= 4 Then KmIsPrime = CLng(x) = kmPrimes(i)
            Exit Function
        End If
    Next
    If Len(x) <= 6 Then
        KmIsPrime = True
        Exit Function
    End If
    xm1 = kestrumArithm.isub(x, "1")
    KmSplitTwos xm1, d, s
    If Len(x) < 25 Or (Len(x) = 25 And x < KM_MR_BOUND) Then
        bases = Array("2", "3", "5", "7", "11", "13", "17", "19", "23", "29", "31", "37", "41")
        For i = 0 To UBound(bases)
            If Not KmStrongProbable(x, xm1, d, s, bases(i)) Then Exit Function
        Next
        KmIsPrime = True
        Exit Function
    End If
    ' Baillie-PSW: a strong probable prime to base 2 that is no square and a strong Lucas
    ' probable prime.
    If Not KmStrongProbable(x, xm1, d, s, "2") Then Exit Function
    d = KmIsqrt(x)
    If kestrumArithm.imult(d, d) = x Then Exit Function
    KmIsPrime = KmStrongLucas(x)
End Function

' Splits the even x > 0 into d * 2^s with an odd d: 30 binary digits a division.
Private Sub KmSplitTwos(x, d, s)
    Dim q, r, er, low, bits
    d = x
    s = 0
    Do
        q = "" : r = "" : er = 0
        kestrumArithm.idiv d, "1073741824", q, r, er
        low = CLng(r)
        If low <> 0 Then Exit Do
        d = q
        s = s + 30
    Loop
    bits = 0
    Do While low Mod 2 = 0
        low = low \ 2
        bits = bits + 1
    Loop
    If bits > 0 Then
        kestrumArithm.idiv d, CStr(2 ^ bits), q, r, er
        d = q
        s = s + bits
    End If
End Sub

' Whether the odd x > a, with x - 1 = d * 2^s (d odd), is a strong probable prime to base a.
Private Function KmStrongProbable(x, xm1, d, s, a)
    Dim y, i
    KmStrongProbable = True
    y = KmPowMod(a, d, x)
    If y = "1" Or y = xm1 Then Exit Function
    For i = 1 To s - 1
        y = KmMulMod(y, y, x)
        If y = xm1 Then Exit Function
        If y = "1" Then Exit For
    Next
    KmStrongProbable = False
End Function

' a^e mod m for a < m, m >= 2: windows of k binary digits, the exponent written in base 2^k.
Private Function KmPowMod(a, e, m)
    Dim k, radix, table, windows, i, j, y, v, q, er
    k = 3
    If Len(e) > 20 Then k = 4
    If Len(e) > 150 Then k = 5
    radix = 2 ^ k
    ReDim table(radix - 1)
    table(0) = "1"
    table(1) = a
    For i = 2 To radix - 1
        table(i) = KmMulMod(table(i - 1), a, m)
    Next
    windows = KmBaseText(e, radix)
    y = table(InStr(KM_BASE_DIGITS, Left(windows, 1)) - 1)
    q = "" : er = 0
    For i = 2 To Len(windows)
        For j = 1 To k
            kestrumArithm.idiv kestrumArithm.imult(y, y), m, q, y, er
        Next
        v = InStr(KM_BASE_DIGITS, Mid(windows, i, 1)) - 1
        If v > 0 Then kestrumArithm.idiv kestrumArithm.imult(y, table(v)), m, q, y, er
    Next
    KmPowMod = y
End Function

' The strong Lucas probable prime test of the odd x > 10^6, no square, with Selfridge's
' parameters: D the first of 5, -7, 9, -11, ... with Jacobi(D / x) = -1, P = 1, Q = (1 - D) / 4.
' x + 1 = d * 2^s (d odd); x passes when U(d) = 0 or V(d * 2^r) = 0 for some r < s (mod x).
Private Function KmStrongLucas(x)
    Dim dd, j, qq, d, s, bits, u, v, qk, i, t, q, er
    KmStrongLucas = False
    dd = 5
    Do
        j = KmJacobi(dd, x)
        If j = -1 Then Exit Do
        ' |D| < x shares a factor with x.
        If j = 0 Then Exit Function
        If dd > 0 Then dd = -(dd + 2) Else dd = 2 - dd
    Loop
    qq = (1 - dd) \ 4
    KmSplitTwos kestrumArithm.iadd(x, "1"), d, s
    bits = KmBaseText(d, 2)
    ' U(k), V(k) and Q^k mod x for k = the leading binary digits of d read so far. The products
    ' are reduced here rather than through KmMulMod: this loop makes most of the test's calls.
    u = "1"
    v = "1"
    qk = KmModOf(CStr(qq), x)
    q = "" : er = 0
    For i = 2 To Len(bits)
        ' k to 2k: U(2k) = U V, V(2k) = V^2 - 2 Q^k, Q^(2k) = (Q^k)^2.
        kestrumArithm.idiv kestrumArithm.imult(u, v), x, q, u, er
        kestrumArithm.idiv kestrumArithm.isub(kestrumArithm.imult(v, v), _
            kestrumArithm.iadd(qk, qk)), x, q, v, er
        If KmIsNegative(v) Then v = kestrumArithm.iadd(v, x)
        kestrumArithm.idiv kestrumArithm.imult(qk, qk), x, q, qk, er
        If Mid(bits, i, 1) = "1" Then
            ' k to k + 1: U = (P U + V) / 2, V = (D U + P V) / 2, Q^(k + 1) = Q^k Q.
            t = KmHalfMod(kestrumArithm.iadd(u, v), x)
            v = KmHalfMod(KmModOf(kestrumArithm.iadd(kestrumArithm.imult(u, CStr(dd)), v), x), x)
            u = t
            qk = KmModOf(kestrumArithm.imult(qk, CStr(qq)), x)
        End If
    Next
    KmStrongLucas = True
    If u = "0" Or v = "0" Then Exit Function
    For i = 1 To s - 1
        v = KmModOf(kestrumArithm.isub(kestrumArithm.imult(v, v), kestrumArithm.iadd(qk, qk)), x)
        If v = "0" Then Exit Function
        qk = KmMulMod(qk, qk, x)
    Next
    KmStrongLucas = False
End Function

' Jacobi(dd / x) for an odd Long dd and an odd x > |dd|, by reciprocity down to Long values.
Private Function KmJacobi(dd, x)
    Dim low, sign, a, q, r, er
    low = CLng(Right(x, 3)) Mod 8
    sign = 1
    a = Abs(dd)
    ' (-1 / x) = -1 when x = 3 mod 4; (a / x) = (x mod a / a), negated when a and x are both
    ' 3 mod 4.
    If dd < 0 And low Mod 4 = 3 Then sign = -sign
    If a Mod 4 = 3 And low Mod 4 = 3 Then sign = -sign
    q = "" : r = "" : er = 0
    kestrumArithm.idiv x, CStr(a), q, r, er
    KmJacobi = sign * KmJacobiLong(CLng(r), a)
End Function

' Jacobi(a / m) for Long values a >= 0 and an odd m > 0.
Private Function KmJacobiLong(ByVal a, ByVal m)
    Dim result, t
    result = 1
    a = a Mod m
    Do While a <> 0
        Do While a Mod 2 = 0
            a = a \ 2
            If m Mod 8 = 3 Or m Mod 8 = 5 Then result = -result
        Loop
        t = a
        a = m
        m = t
        If a Mod 4 = 3 And m Mod 4 = 3 Then result = -result
        a = a Mod m
    Loop
    If m = 1 Then KmJacobiLong = result Else KmJacobiLong = 0
End Function

' t mod m in 0 ... m - 1 for a signed t.
Private Function KmModOf(t, m)
    Dim q, r, er
    q = "" : r = "" : er = 0
    kestrumArithm.idiv t, m, q, r, er
    If KmIsNegative(r) Then r = kestrumArithm.iadd(r, m)
    KmModOf = r
End Function

' a / 2 mod the odd m for 0 <= a < 2m: (a or a + m, whichever is even) * 5 / 10, less m when
' that is m or more.
Private Function KmHalfMod(a, m)
    Dim t
    If a = "0" Then
        KmHalfMod = "0"
        Exit Function
    End If
    t = a
    If KmIsOdd(t) Then t = kestrumArithm.iadd(t, m)
    t = kestrumArithm.imult(t, "5")
    t = Left(t, Len(t) - 1)
    If kestrumArithm.icomp(t, m) >= 0 Then t = kestrumArithm.isub(t, m)
    KmHalfMod = t
End Function
