// Kestrum.Arithm from JScript. Run with: cscript sample.js
var o = new ActiveXObject("Kestrum.Arithm");
var a = "123456789123456789";
var b = "987654321987654321";
WScript.Echo(a + " + " + b + " = " + o.iadd(a, b));
WScript.Echo(a + " * " + b + " = " + o.imult(a, b));
WScript.Echo("2.5 * 0.4 = " + o.rmult(2.5, 0.4));
WScript.Echo("icomp(a, b) = " + o.icomp(a, b));
try {
    o.iadd("12x", "1");
} catch (e) {
    WScript.Echo("iadd(\"12x\", \"1\") fails: error " + (e.number & 0xFFFF) + ": " +
                 e.description);
}
