// A JScript client of Kestrum.Arithm: the methods with literals, variables and numbers, and the
// error raised by a failing method.
var failures = 0;

function expect(what, actual, expected) {
    if (actual !== expected) {
        WScript.Echo("FAILED " + what + ": got " + actual + ", expected " + expected);
        failures++;
    }
}

var o = new ActiveXObject("Kestrum.Arithm");
var a = "99999999999999999999";
expect("imult", o.imult(a, a), "9999999999999999999800000000000000000001");
expect("iadd", o.iadd("12", "30"), "42");
expect("iadd of numbers", o.iadd(12, 30), "42");
expect("isub", o.isub("5", "8"), "-3");
expect("radd", o.radd(0.1, "0.2"), ".3");
expect("rsub", o.rsub("0.5", "0.25"), ".25");
expect("rmult", o.rmult("1.5", 2), "3.");
expect("icomp", o.icomp("2", "10"), -1);
expect("a unchanged", a, "99999999999999999999");
o.idiv("100", "7", "", "", 0);  // JScript passes values: nothing comes back, nothing fails

var caught = null;
try {
    o.iadd("1a", "1");
} catch (e) {
    caught = e;
}
expect("an error is raised", caught !== null, true);
if (caught !== null) {
    expect("error number", caught.number & 0xFFFF, 102);
    expect("error facility", (caught.number >>> 16) & 0x1FFF, 10);
    expect("error description", caught.description.length > 0, true);
}

WScript.Echo("client_test.js: " + failures + " failed checks");
WScript.Quit(failures);
