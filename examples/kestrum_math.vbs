' KestrumMath from VBScript: an IBAN check, the check digits of a new IBAN, 1/7 to 100 places,
' 100!, pi to 1000 places and a prime test. Run it with cscript kestrum_math.vbs once Kestrum.dll
' is registered; it loads KestrumMath.vbs from its own folder or, as the zip lays the files out,
' from ..\vba.
Option Explicit

' Load KestrumMath
Dim fso, folder, modulePath
Set fso = CreateObject("Scripting.FileSystemObject")
folder = fso.GetParentFolderName(WScript.ScriptFullName)
modulePath = fso.BuildPath(folder, "KestrumMath.vbs")
If Not fso.FileExists(modulePath) Then modulePath = fso.BuildPath(folder, "..\vba\KestrumMath.vbs")
ExecuteGlobal fso.OpenTextFile(modulePath).ReadAll
' KestrumMath loaded

' The IBAN as one number (ISO 13616): the first four characters moved to the end, each letter
' replaced by two digits (A = 10, ..., Z = 35). Blanks are ignored.
Function IbanNumber(iban)
    Dim text, i, c, digits
    text = UCase(Replace(iban, " ", ""))
    text = Mid(text, 5) & Left(text, 4)
    For i = 1 To Len(text)
        c = Mid(text, i, 1)
        If c >= "A" And c <= "Z" Then digits = digits & CStr(Asc(c) - 55) Else digits = digits & c
    Next
    IbanNumber = digits
End Function

' An IBAN is valid when its number leaves the remainder 1 divided by 97: a 30-digit number,
' past what a Double or Currency holds exactly.
Dim iban, remainder
iban = "GB82 WEST 1234 5698 7654 32"
remainder = KMod(IbanNumber(iban), 97)
If remainder = "1" Then
    WScript.Echo "IBAN " & iban & ": remainder " & remainder & ", valid"
Else
    WScript.Echo "IBAN " & iban & ": remainder " & remainder & ", not valid"
End If

' The check digits of a new IBAN: 98 minus the remainder of its number with "00" in their place.
Dim account
account = "DE00 3704 0044 0532 0130 00"
WScript.Echo "IBAN " & account & ": check digits " & _
    Right("0" & KSub(98, KMod(IbanNumber(account), 97)), 2)

WScript.Echo "1/7 to 100 places: " & KDiv(1, 7, 100, "HALF_UP")
WScript.Echo "100! = " & KFact(100)
WScript.Echo "pi to 1000 places: " & KPi(1000, "HALF_UP")

' 2^127 - 1, a Mersenne prime of 39 digits, is tested as KIsPrime tests any number from
' 3.317 * 10^24 on: with the Baillie-PSW test.
Dim mersenne
mersenne = KSub(KPow(2, 127), 1)
If KIsPrime(mersenne) Then
    WScript.Echo "2^127 - 1 = " & mersenne & ": prime"
Else
    WScript.Echo "2^127 - 1 = " & mersenne & ": not prime"
End If
