' Times the KestrumMath calls of the speed goals (each under 0.5 s in 64-bit cscript, the prime
' test of a 1000-digit number under 1 s): each call is repeated until a quarter of a second has
' passed, and the best of three such rounds gives the time of one call. Run by
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
    End Select
End Function

Dim calls, name, attempt, best, start, elapsed, count, result
calls = Array("KFact(3000)", "KSqrt(2, 10000, """")", "KPow(3, 20000)", "KDiv(1, 7, 30000, """")", _
    "KPi(10000, """")", "KE(10000, """")", "KRoot(2, 3, 10000, """")", "KIsPrime(10^999 + 7)")
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
