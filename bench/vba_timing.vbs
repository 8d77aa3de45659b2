' Times the KestrumMath calls of the speed goals (each under 0.5 s in 64-bit cscript, the prime
' test of a 1000-digit number and the logarithm, exponential, power, sine and arctangent to 10000 places
' under 1 s, those to 1000 places under 50 ms): each call is repeated until a quarter of a
' second has passed, and the best of three such rounds gives the time of one call. Run by
' bench/vba_timing.sh, joined to the module. Timer counts seconds since midnight; a run across
' midnight would show nonsense.

' 10^999 + 7, a prime of 1000 digits.
Dim prime1000
prime1000 = KAdd(KPow(10, 999), 7)

Function TimedCall(name)
    Select Case name
        Case "KFact(3000)": TimedCall = KFact(3000)
        Case "KSqrt(2, 10000, """")": TimedCall = KSqrt(2, 10000, "")
        Case "KPow(3, 20000)": TimedCall = KPow(3, 20000)
        Case "KDiv(1, 7, 30000, """")": TimedCall = KDiv(1, 7, 30000, "")
        Case "KPi(10000, """")": TimedCall = KPi(10000, "")
        Case "KE(10000, """")": TimedCall = KE(10000, "")
        Case "KRoot(2, 3, 10000, """")": TimedCall = KRoot(2, 3, 10000, "")
        Case "KIsPrime(10^999 + 7)": TimedCall = CStr(KIsPrime(prime1000))
        Case "KLn(2, 10000, """")": TimedCall = KLn(2, 10000, "")
        Case "KExp(1.5, 10000, """")": TimedCall = KExp(1.5, 10000, "")
        Case "KPower(2, 0.5, 10000, """")": TimedCall = KPower(2, 0.5, 10000, "")
        Case "KLn(7.5, 1000, """")": TimedCall = KLn(7.5, 1000, "")
        Case "KExp(-1.25, 1000, """")": TimedCall = KExp(-1.25, 1000, "")
        Case "KLog10(2, 1000, """")": TimedCall = KLog10(2, 1000, "")
        Case "KPower(3, 0.3, 1000, """")": TimedCall = KPower(3, 0.3, 1000, "")
        Case "KPower(1.5, 2.718281828, 1000, """")": TimedCall = KPower(1.5, 2.718281828, 1000, "")
        Case "KAtn(0.5, 10000, """")": TimedCall = KAtn(0.5, 10000, "")
        Case "KSin(1, 10000, """")": TimedCall = KSin(1, 10000, "")
        Case "KSin(1, 1000, """")": TimedCall = KSin(1, 1000, "")
    End Select
End Function

Dim calls, name, attempt, best, start, elapsed, count, result
calls = Array("KFact(3000)", "KSqrt(2, 10000, """")", "KPow(3, 20000)", "KDiv(1, 7, 30000, """")", _
    "KPi(10000, """")", "KE(10000, """")", "KRoot(2, 3, 10000, """")", "KIsPrime(10^999 + 7)", _
    "KLn(2, 10000, """")", "KExp(1.5, 10000, """")", "KPower(2, 0.5, 10000, """")", _
    "KLn(7.5, 1000, """")", "KExp(-1.25, 1000, """")", "KLog10(2, 1000, """")", _
    "KPower(3, 0.3, 1000, """")", "KPower(1.5, 2.718281828, 1000, """")", _
    "KAtn(0.5, 10000, """")", _
    "KSin(1, 10000, """")", "KSin(1, 1000, """")")
For Each name In calls
    best = -1
    For attempt = 1 To 3
        count = 0
        start = Timer
        Do
            result = TimedCall(name)
            count = count + 1
            elapsed = Timer - start
        Loop Until elapsed >= 0.25
        If best < 0 Or elapsed / count < best Then best = elapsed / count
    Next
    WScript.Echo name & ": " & Int(best * 100000 + 0.5) / 100 & " ms, " & Len(result) & _
        " characters"
Next
WScript.Echo "vba_timing: done"
