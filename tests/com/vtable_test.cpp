// The early-bound interface as a C++ client sees it through CoCreateInstance: result codes,
// results, a1 and a2 left alone, and the error information of each call.
#include <windows.h>

#include <string>

#include "check.h"
#include "com_ref.h"
#include "kestrum_idl.h"

using kestrum::com::ComRef;
using kestrum::test::Bstr;
using kestrum::test::check;
using kestrum::test::checkCode;
using kestrum::test::runTimeError;
using kestrum::test::text;

namespace {

using TextMethod = HRESULT (STDMETHODCALLTYPE _Arithm::*)(BSTR*, BSTR*, BSTR*);

struct TextCase {
    const char* name;
    TextMethod method;
    const wchar_t* a1;  // null stands for a null BSTR
    const wchar_t* a2;
    HRESULT expectedCode;
    const wchar_t* expected;  // null: the result must stay null
};

const TextCase kTextCases[] = {
    {"iadd with blanks and signs", &_Arithm::iadd, L" 12 345", L"-45", S_OK, L"12300"},
    {"iadd null operand", &_Arithm::iadd, nullptr, L"5", S_OK, L"5"},
    {"iadd non-digit", &_Arithm::iadd, L"1a", L"1", runTimeError(102), nullptr},
    {"isub", &_Arithm::isub, L"1000", L"999", S_OK, L"1"},
    {"isub negative", &_Arithm::isub, L"5", L"8", S_OK, L"-3"},
    {"isub non-digit", &_Arithm::isub, L"1a", L"1", runTimeError(103), nullptr},
    {"imult", &_Arithm::imult, L"99999999999999999999", L"99999999999999999999", S_OK,
     L"9999999999999999999800000000000000000001"},
    {"radd", &_Arithm::radd, L"0.1", L"0.2", S_OK, L".3"},
    {"rsub", &_Arithm::rsub, L"0.5", L"0.25", S_OK, L".25"},
    {"rmult", &_Arithm::rmult, L"1.5", L"2", S_OK, L"3."},
};

ComRef<_Arithm> createArithm() {
    ComRef<_Arithm> arithm;
    checkCode(CoCreateInstance(CLSID_Arithm, nullptr, CLSCTX_INPROC_SERVER, IID__Arithm,
                               reinterpret_cast<void**>(arithm.put())),
              S_OK, "CoCreateInstance");
    return arithm;
}

// Reads (and so clears) the thread's error information.
void checkErrorInfo(bool expected, const char* name) {
    ComRef<IErrorInfo> info;
    const HRESULT code = GetErrorInfo(0, info.put());
    check((code == S_OK) == expected, std::string(name) + ": error information presence");
    if (code == S_OK && info) {
        BSTR source = nullptr;
        BSTR description = nullptr;
        info->GetSource(&source);
        info->GetDescription(&description);
        check(text(source) == L"Kestrum.Arithm", std::string(name) + ": error source");
        check(!text(description).empty(), std::string(name) + ": error description");
        SysFreeString(source);
        SysFreeString(description);
    }
}

void testTextMethods(_Arithm& arithm) {
    for (const TextCase& step : kTextCases) {
        Bstr a1(step.a1);
        Bstr a2(step.a2);
        const BSTR a1Before = a1.get();
        const BSTR a2Before = a2.get();
        BSTR result = nullptr;
        checkCode((arithm.*step.method)(&a1.get(), &a2.get(), &result), step.expectedCode,
                  step.name);
        if (step.expected == nullptr) {
            check(result == nullptr, std::string(step.name) + ": result stays null");
        } else {
            check(text(result) == step.expected, std::string(step.name) + ": result");
        }
        check(a1.get() == a1Before && a2.get() == a2Before,
              std::string(step.name) + ": a1 and a2 untouched");
        check(text(a1.get()) == (step.a1 ? step.a1 : L""), std::string(step.name) + ": a1 text");
        checkErrorInfo(step.expectedCode < 0, step.name);
        SysFreeString(result);
    }
}

void testStaleErrorInfoIsCleared(_Arithm& arithm) {
    Bstr bad(L"1a");
    Bstr one(L"1");
    BSTR result = nullptr;
    arithm.iadd(&bad.get(), &one.get(), &result);
    arithm.iadd(&one.get(), &one.get(), &result);
    checkErrorInfo(false, "success after failure");
    SysFreeString(result);
}

void testComparison(_Arithm& arithm) {
    Bstr one(L"1");
    Bstr two(L"2");
    short order = 5;
    checkCode(arithm.icomp(&one.get(), &two.get(), &order), S_OK, "icomp");
    check(order == -1, "icomp 1 2 is -1");
    const std::wstring tooLong(32767, L'1');
    Bstr overflow(tooLong.c_str());
    order = 5;
    checkCode(arithm.icomp(&overflow.get(), &one.get(), &order), runTimeError(6), "icomp overflow");
    check(order == 0, "failing icomp writes 0");
    checkErrorInfo(true, "icomp overflow");
}

void testDivision(_Arithm& arithm) {
    Bstr a1(L"100");
    Bstr a2(L"7");
    Bstr m(L"");
    Bstr r(L"");
    short er = 0;
    checkCode(arithm.idiv(&a1.get(), &a2.get(), &m.get(), &r.get(), &er), S_OK, "idiv");
    check(text(m.get()) == L"14" && text(r.get()) == L"2" && er == 0, "idiv 100 7");
    Bstr zero(L"0");
    checkCode(arithm.idiv(&a1.get(), &zero.get(), &m.get(), &r.get(), &er), S_OK, "idiv by 0");
    check(er == 1, "idiv by zero sets er");
    check(text(a1.get()) == L"100" && text(zero.get()) == L"0", "idiv leaves a1 and a2");
}

void testSupportErrorInfo(_Arithm& arithm) {
    ComRef<ISupportErrorInfo> support;
    checkCode(arithm.QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(support.put())),
              S_OK, "ISupportErrorInfo");
    if (support) {
        checkCode(support->InterfaceSupportsErrorInfo(IID__Arithm), S_OK, "supports _Arithm");
        checkCode(support->InterfaceSupportsErrorInfo(IID_IUnknown), S_FALSE, "not IUnknown");
    }
    ComRef<IUnknown> unknown;
    checkCode(arithm.QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(unknown.put())),
              E_NOINTERFACE, "no IClassFactory on the object");
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        ComRef<_Arithm> arithm = createArithm();
        if (arithm) {
            testTextMethods(*arithm.get());
            testStaleErrorInfoIsCleared(*arithm.get());
            testComparison(*arithm.get());
            testDivision(*arithm.get());
            testSupportErrorInfo(*arithm.get());
        }
    }
    CoUninitialize();
    return kestrum::test::exitStatus("vtable_test");
}
