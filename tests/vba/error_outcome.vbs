
' Shared by the runners, joined after the module: "error N" for an error the module raised, and
' for error 5 followed by the argument that its description ("FUNCTION: argument NAME ...")
' names.
Function ErrorOutcome(fn, number, description)
    Dim lead, words
    ErrorOutcome = "error " & number
    If number = 5 Then
        lead = fn & ": argument "
        If Left(description, Len(lead)) = lead Then
            words = Split(Mid(description, Len(lead) + 1), " ")
            ErrorOutcome = ErrorOutcome & " " & words(0)
        Else
            ErrorOutcome = ErrorOutcome & " ? (" & description & ")"
        End If
    End If
End Function
