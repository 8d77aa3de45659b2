' A VBScript client of Kestrum.Arithm: every method with literals and variables, idiv filling
' its variables, Empty operands, Null refused, and errors read through the Err object.
Option Explicit

Dim failures : failures = 0

Sub Expect(what, actual, expected)
    If actual <> expected Or TypeName(actual) <> TypeName(expected) Then
        WScript.Echo "FAILED " & what & ": got " & actual & " (" & TypeName(actual) & _
            "), expected " & expected & " (" & TypeName(expected) & ")"
        failures = failures + 1
    End If
End Sub

Dim o : Set o = CreateObject("Kestrum.Arithm")

Function CallMethod(name, a1, a2)
    Select Case name
        Case "iadd": CallMethod = o.iadd(a1, a2)
        Case "isub": CallMethod = o.isub(a1, a2)
        Case "imult": CallMethod = o.imult(a1, a2)
        Case "radd": CallMethod = o.radd(a1, a2)
        Case "rsub": CallMethod = o.rsub(a1, a2)
        Case "rmult": CallMethod = o.rmult(a1, a2)
    End Select
End Function
Dim a, b, m, r, er, i, cases

' Literals: method, a1, a2, expected.
cases = Array( _
    Array("iadd", " 12 345", "-45", "12300"), _
    Array("isub", "1000", "999", "1"), _
    Array("imult", "-5", "0", "-0"), _
    Array("radd", "0.1", "0.2", ".3"), _
    Array("rsub", "0.05", "0.07", "-0.02"), _
    Array("rmult", "1.5", "2", "3."))
For i = 0 To UBound(cases)
    Expect cases(i)(0), CallMethod(cases(i)(0), cases(i)(1), cases(i)(2)), cases(i)(3)
Next

' Variables are passed by reference; they must work and stay unchanged.
a = "12" : b = "30"
Expect "iadd of variables", o.iadd(a, b), "42"
Expect "isub of variables", o.isub(a, b), "-18"
Expect "imult of variables", o.imult(a, b), "360"
Expect "icomp of variables", o.icomp(a, b), CInt(-1)
Expect "a1 unchanged", a, "12"
Expect "a2 unchanged", b, "30"
a = "1.5" : b = "2"
Expect "radd of variables", o.radd(a, b), "3.5"
Expect "rmult of variables", o.rmult(a, b), "3."
a = "0.5" : b = "0.25"
Expect "rsub of variables", o.rsub(a, b), ".25"

' Numbers convert to text, always with a point.
Expect "iadd of numbers", o.iadd(12, 30), "42"
Expect "radd of a real", o.radd(1.5, "1"), "2.5"
Expect "Empty operand", o.iadd(Empty, "5"), "5"

m = "" : r = "" : er = 0
o.idiv "100", "7", m, r, er
Expect "quotient", m, "14"
Expect "remainder", r, "2"
Expect "er", er, CInt(0)
a = "-7" : b = "2"
o.idiv a, b, m, r, er
Expect "negative quotient", m, "-3"
Expect "negative remainder", r, "-1"
Call o.idiv("1", "0", m, r, er)
Expect "division by zero flag", er, CInt(1)

On Error Resume Next
Dim result : result = "stale"
result = o.iadd("1a", "1")
Expect "error number", Err.Number, CLng(102)
Expect "error source", Err.Source, "Kestrum.Arithm"
Expect "error description present", Len(Err.Description) > 0, True
Expect "no result on failure", result, "stale"
Err.Clear
result = o.isub("1a", "1")
Expect "subtraction error number", Err.Number, CLng(103)
Err.Clear
result = o.iadd(String(32767, "1"), "1")
Expect "overflow error number", Err.Number, CLng(6)
Err.Clear
result = o.iadd("1", "2")
Expect "success clears Err", Err.Number, CLng(0)
' Null is no operand (a Null field, say): type mismatch, and nothing is written.
result = "stale"
result = o.iadd(Null, "1")
Expect "Null operand error number", Err.Number, CLng(13)
Expect "no result for a Null operand", result, "stale"
Err.Clear
a = Null : m = "m" : r = "r" : er = 5
o.idiv "7", a, m, r, er
Expect "Null divisor error number", Err.Number, CLng(13)
Expect "m untouched after a Null operand", m, "m"
Expect "r untouched after a Null operand", r, "r"
Expect "er untouched after a Null operand", er, CInt(5)
Err.Clear
On Error GoTo 0

WScript.Echo "client_test.vbs: " & failures & " failed checks"
WScript.Quit failures
