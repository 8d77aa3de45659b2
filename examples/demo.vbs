' Shows each method of Kestrum.Arithm once. Run with: cscript demo.vbs
Option Explicit

Dim o : Set o = CreateObject("Kestrum.Arithm")
Dim m, r, er

WScript.Echo "iadd("" 12 345"", ""-45"")   = " & o.iadd(" 12 345", "-45")
WScript.Echo "isub(""1000"", ""999"")      = " & o.isub("1000", "999")
WScript.Echo "imult(20 nines, 20 nines) = " & _
    o.imult("99999999999999999999", "99999999999999999999")
m = "" : r = "" : er = 0
o.idiv "123456789012345678901234567890", "97", m, r, er
WScript.Echo "idiv 123456789012345678901234567890, 97: m = " & m & ", r = " & r & ", er = " & er
WScript.Echo "radd(""0.1"", ""0.2"")       = " & o.radd("0.1", "0.2")
WScript.Echo "rsub(""0.05"", ""0.07"")     = " & o.rsub("0.05", "0.07")
WScript.Echo "rmult(""1.5"", ""2"")        = " & o.rmult("1.5", "2")
WScript.Echo "icomp(""-0"", ""0"")         = " & o.icomp("-0", "0")

On Error Resume Next
o.iadd "1a", "1"
WScript.Echo "iadd(""1a"", ""1"") fails: error " & Err.Number & " from " & Err.Source & _
    ": " & Err.Description
