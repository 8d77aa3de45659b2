
' Runs the KestrumMath case table (kestrum_math_cases.txt in the current folder, written by
' generate_table.py) through the module above, which the build joins in front of this text.
' Each line is FUNCTION<TAB>argument...<TAB>expected, "\E" standing for Empty; the outcome is
' the result text, "#" and the number for a numeric result, or "error N" (for error 5 followed
' by the argument its description names). Prints each mismatch and a summary line.

Const TABLE_FILE = "kestrum_math_cases.txt"

Function TableArgument(field)
    If field = "\E" Then TableArgument = Empty Else TableArgument = field
End Function

' The members of a KSum or KProduct line as one array.
Function TableMembers(fields)
    Dim members, i
    members = Array()
    If UBound(fields) > 1 Then
        ReDim members(UBound(fields) - 2)
        For i = 1 To UBound(fields) - 1
            members(i - 1) = TableArgument(fields(i))
        Next
    End If
    TableMembers = members
End Function

Function TableCall(fields)
    Dim a, b, c, d
    If UBound(fields) >= 2 Then a = TableArgument(fields(1))
    If UBound(fields) >= 3 Then b = TableArgument(fields(2))
    If UBound(fields) >= 4 Then c = TableArgument(fields(3))
    If UBound(fields) >= 5 Then d = TableArgument(fields(4))
    Select Case fields(0)
        Case "KAdd": TableCall = KAdd(a, b)
        Case "KSub": TableCall = KSub(a, b)
        Case "KMul": TableCall = KMul(a, b)
        Case "KDiv": TableCall = KDiv(a, b, c, d)
        Case "KQuot": TableCall = KQuot(a, b)
        Case "KMod": TableCall = KMod(a, b)
        Case "KCmp": TableCall = KCmp(a, b)
        Case "KRound": TableCall = KRound(a, b, c)
        Case "KPow": TableCall = KPow(a, b)
        Case "KSqrt": TableCall = KSqrt(a, b, c)
        Case "KGcd": TableCall = KGcd(a, b)
        Case "KLcm": TableCall = KLcm(a, b)
        Case "KModPow": TableCall = KModPow(a, b, c)
        Case "KFact": TableCall = KFact(a)
        Case "KBinom": TableCall = KBinom(a, b)
        Case "KAbs": TableCall = KAbs(a)
        Case "KNeg": TableCall = KNeg(a)
        Case "KNorm": TableCall = KNorm(a)
        Case "KSum": TableCall = KSum(TableMembers(fields))
        Case "KProduct": TableCall = KProduct(TableMembers(fields))
        Case "KSig": TableCall = KSig(a, b, c)
        Case "KToBase": TableCall = KToBase(a, b)
        Case "KFromBase": TableCall = KFromBase(a, b)
        Case "KRoot": TableCall = KRoot(a, b, c, d)
        Case "KPi": TableCall = KPi(a, b)
        Case "KE": TableCall = KE(a, b)
        Case "KIsPrime": TableCall = KIsPrime(a)
        Case "KNextPrime": TableCall = KNextPrime(a)
        Case "KFrac": TableCall = KFrac(a, b)
        Case "KLn": TableCall = KLn(a, b, c)
        Case "KLog10": TableCall = KLog10(a, b, c)
        Case "KLog": TableCall = KLog(a, b, c, d)
        Case "KExp": TableCall = KExp(a, b, c)
        Case "KPower": TableCall = KPower(a, b, c, d)
        Case "KAtn": TableCall = KAtn(a, b, c)
        Case "KAtan2": TableCall = KAtan2(a, b, c, d)
        Case "KAsin": TableCall = KAsin(a, b, c)
        Case "KAcos": TableCall = KAcos(a, b, c)
        Case "KSin": TableCall = KSin(a, b, c)
        Case "KCos": TableCall = KCos(a, b, c)
        Case "KTan": TableCall = KTan(a, b, c)
        Case Else: TableCall = "unknown function " & fields(0)
    End Select
End Function

Function TableOutcome(fields)
    Dim value, number, description
    On Error Resume Next
    value = TableCall(fields)
    number = Err.Number
    description = Err.Description
    On Error GoTo 0
    If number <> 0 Then
        TableOutcome = ErrorOutcome(fields(0), number, description)
    ElseIf VarType(value) = vbString Then
        TableOutcome = value
    Else
        TableOutcome = "#" & CStr(value)
    End If
End Function

Function TableShort(text)
    If Len(text) > 120 Then
        TableShort = Left(text, 60) & "...(" & Len(text) & " characters)..." & Right(text, 40)
    Else
        TableShort = text
    End If
End Function

Sub TableRun()
    Dim fso, stream, line, fields, got, cases, failures, declared, i, shown
    Set fso = CreateObject("Scripting.FileSystemObject")
    Set stream = fso.OpenTextFile(TABLE_FILE, 1)
    cases = 0
    failures = 0
    declared = -1
    Do Until stream.AtEndOfStream
        line = stream.ReadLine
        fields = Split(line, vbTab)
        If fields(0) = "END" Then
            declared = CLng(fields(1))
        Else
            cases = cases + 1
            got = TableOutcome(fields)
            If got <> fields(UBound(fields)) Then
                failures = failures + 1
                shown = fields(0) & "("
                For i = 1 To UBound(fields) - 1
                    If i > 1 Then shown = shown & ", "
                    shown = shown & """" & TableShort(fields(i)) & """"
                Next
                WScript.Echo "MISMATCH line " & cases & ": " & shown & ") gave " & _
                    TableShort(got) & ", expected " & TableShort(fields(UBound(fields)))
            End If
        End If
    Loop
    stream.Close
    If declared <> cases Then
        WScript.Echo "MISMATCH: the table declares " & declared & " cases, " & cases & " ran"
        failures = failures + 1
    End If
    WScript.Echo "kestrum_math_table: " & cases & " cases, " & failures & " failed"
End Sub

TableRun
