
' Runs the KEval cases (keval_cases.txt in the current folder, written by generate_keval.py)
' through the module above, which the build joins in front of this text. Each line is
' FORMULA<TAB>places<TAB>mode<TAB>expected; the outcome is the result text, "error N", or for a
' syntax error "error 5 at column C" from the column its description names. Prints each mismatch,
' the slowest case and a summary line.

Function KevalOutcome(formula, places, mode)
    Dim value, number, description, at
    On Error Resume Next
    value = KEval(formula, places, mode)
    number = Err.Number
    description = Err.Description
    On Error GoTo 0
    KevalOutcome = value
    If number <> 0 Then
        KevalOutcome = "error " & number
        at = InStr(description, " at column ")
        If number = 5 And at > 0 Then KevalOutcome = KevalOutcome & Mid(description, at)
    End If
End Function

Sub KevalRun()
    Dim fso, stream, fields, got, cases, failures, declared, started, took, slowest, slowestCase
    Set fso = CreateObject("Scripting.FileSystemObject")
    Set stream = fso.OpenTextFile("keval_cases.txt", 1)
    cases = 0
    failures = 0
    declared = -1
    slowest = 0
    Do Until stream.AtEndOfStream
        fields = Split(stream.ReadLine, vbTab)
        If fields(0) = "END" Then
            declared = CLng(fields(1))
        Else
            cases = cases + 1
            started = Timer
            got = KevalOutcome(fields(0), fields(1), fields(2))
            took = Timer - started
            If took > slowest Then
                slowest = took
                slowestCase = fields(0) & " (" & fields(1) & " places " & fields(2) & ")"
            End If
            If got <> fields(3) Then
                failures = failures + 1
                WScript.Echo "MISMATCH line " & cases & ": KEval(""" & fields(0) & """, " & _
                    fields(1) & ", """ & fields(2) & """) gave " & got & ", expected " & fields(3)
            End If
        End If
    Loop
    stream.Close
    If declared <> cases Then
        WScript.Echo "MISMATCH: the table declares " & declared & " cases, " & cases & " ran"
        failures = failures + 1
    End If
    WScript.Echo "slowest: " & slowestCase & ", " & Int(slowest * 1000) & " ms"
    WScript.Echo "keval_table: " & cases & " cases, " & failures & " failed"
End Sub

KevalRun
