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

Private Const KM_SOURCE = "KestrumMath"
Private Const KM_MAX_TEXT = 32766
' The largest n whose n! has at most 32766 digits.
Private Const KM_MAX_FACTORIAL = 9273
' C(n, k) >= 2^k for k <= n / 2, and 2^108847 has more than 32766 digits.
Private Const KM_MAX_BINOMIAL_K = 108846
' Chunks of small factors are multiplied as Long values below this bound.
Private Const KM_MAX_LONG = 2147483647

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
    Dim x, xs, y, ys, p, md, neg, shift, q, r, er, half
    KmStart
    KmRead "KDiv", "a", a, x, xs
    KmRead "KDiv", "b", b, y, ys
    p = KmReadCount("KDiv", "places", places)
    If p < 0 Then KmRefuse "KDiv", "places", "is negative"
    md = KmMode("KDiv", mode)
    If y = "0" Then KmDivisionByZero "KDiv"
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
    KDiv = KmFinish(q, neg, KmRoundsAway(md, neg, half, r <> "0", q), p)
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
    Dim x, xs, p, md, neg, d, dropped, q, r, half, away
    KmStart
    KmRead "KRound", "a", a, x, xs
    p = KmReadCount("KRound", "places", places)
    md = KmMode("KRound", mode)
    If p >= xs Then
        KRound = KmFormat(x, xs)
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
        KRound = KmFinish(q, neg, away, p)
    Else
        KRound = KmShift(KmFinish(q, neg, away, 0), -p)
    End If
End Function

' a to the power n, for a whole n >= 0.
Public Function KPow(a, n)
    Dim x, xs, e, d, count, result, i
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
    ' Left to right over the binary digits of the exponent.
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
    KPow = KmFormat(result, xs * count)
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
