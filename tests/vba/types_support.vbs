
' Support for the typed checks that generate_typed.py writes after this text: an object with a
' default property standing for a worksheet cell, one without, two-dimensional arrays like a
' range's values, and the check counter. The module is joined in front of this text.

Class TestCell
    Public Content
    Public Default Property Get Value()
        Value = Content
    End Property
End Class

Class NoDefault
    Public Content
End Class

Function Cell(content)
    Dim made
    Set made = New TestCell
    made.Content = content
    Set Cell = made
End Function

' A rows x columns array filled row by row from the one-dimensional array members.
Function Grid(rows, columns, members)
    Dim cells, r, c
    ReDim cells(rows - 1, columns - 1)
    For r = 0 To rows - 1
        For c = 0 To columns - 1
            cells(r, c) = members(r * columns + c)
        Next
    Next
    Grid = cells
End Function

Dim checks, checkFailures, got
checks = 0
checkFailures = 0

' The outcome as the generator writes it: the text, "#" and a number, "error 5 <argument>",
' "error 6 <source>" or "error N".
Function CheckOutcome(label, value, number, description, source)
    Dim fn
    If number = 0 Then
        If VarType(value) = vbString Then CheckOutcome = value Else CheckOutcome = "#" & CStr(value)
        Exit Function
    End If
    fn = label
    If InStr(label, "(") > 0 Then fn = Left(label, InStr(label, "(") - 1)
    CheckOutcome = ErrorOutcome(fn, number, description)
    If number = 6 Then
        CheckOutcome = CheckOutcome & " " & source
    End If
End Function

Sub Verify(label, value, number, description, source, expected)
    Dim outcome
    outcome = CheckOutcome(label, value, number, description, source)
    checks = checks + 1
    If outcome <> expected Then
        checkFailures = checkFailures + 1
        WScript.Echo "MISMATCH " & label & " gave " & outcome & ", expected " & expected
    End If
End Sub

Sub Summary()
    WScript.Echo "kestrum_math_types: " & checks & " checks, " & checkFailures & _
        " failed, decimal point " & Mid(CStr(0.5), 2, 1)
End Sub

On Error Resume Next
