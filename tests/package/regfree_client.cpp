// A registration-free client of Kestrum.Arithm. Its embedded application manifest depends on
// assembly Kestrum; Kestrum.dll and Kestrum.manifest lie beside it and nothing is registered.
// It creates the class by ProgID and by class id and calls it through the vtable and through
// IDispatch, in a single-threaded apartment and from the multi-threaded one.
#include <windows.h>

#include <array>
#include <string>
#include <thread>

#include "check.h"
#include "com_ref.h"
#include "kestrum_idl.h"

using kestrum::com::ComRef;
using kestrum::test::Bstr;
using kestrum::test::check;
using kestrum::test::checkCode;
using kestrum::test::classesKeyExists;
using kestrum::test::text;

namespace {

// The class is found through the activation context of this program, not the registry.
void testNothingRegistered() {
    check(!classesKeyExists(L"Kestrum.Arithm"), "the ProgID is not registered");
    check(!classesKeyExists(L"CLSID\\{35E2684A-F747-4FE9-A25C-DD918786DDE0}"),
          "the class is not registered");
}

void testVtable(_Arithm& arithm, const char* how) {
    Bstr a(L"123456789123456789");
    Bstr b(L"-987654321");
    Bstr product(nullptr);
    checkCode(arithm.imult(&a.get(), &b.get(), &product.get()), S_OK, how);
    check(text(product.get()) == L"-121932631234567900112635269", how);

    Bstr quotient(nullptr);
    Bstr remainder(nullptr);
    short divisionByZero = 0;
    checkCode(arithm.idiv(&a.get(), &b.get(), &quotient.get(), &remainder.get(), &divisionByZero),
              S_OK, how);
    check(text(quotient.get()) == L"-124999998" && text(remainder.get()) == L"-973765431" &&
              divisionByZero == 0,
          how);
}

void testDispatch(IDispatch& dispatch) {
    std::wstring name = L"iadd";
    LPOLESTR names = name.data();
    DISPID member = 0;
    checkCode(dispatch.GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &member), S_OK,
              "GetIDsOfNames needs the type library of the assembly");

    // Arguments go last first.
    std::array<VARIANT, 2> arguments{};
    for (VARIANT& argument : arguments) {
        VariantInit(&argument);
        V_VT(&argument) = VT_BSTR;
    }
    V_BSTR(&arguments[1]) = SysAllocString(L"99999999999999999999");
    V_BSTR(&arguments[0]) = SysAllocString(L"1");
    DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    VARIANT result;
    VariantInit(&result);
    checkCode(dispatch.Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                              &result, nullptr, nullptr),
              S_OK, "Invoke iadd");
    check(V_VT(&result) == VT_BSTR && text(V_BSTR(&result)) == L"100000000000000000000",
          "iadd through IDispatch");
    VariantClear(&result);
    for (VARIANT& argument : arguments) {
        VariantClear(&argument);
    }
}

void testCreatedBy(REFCLSID classId, const char* how) {
    ComRef<_Arithm> arithm;
    checkCode(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID__Arithm,
                               reinterpret_cast<void**>(arithm.put())),
              S_OK, how);
    if (!arithm) {
        return;
    }
    testVtable(*arithm.get(), how);
    ComRef<IDispatch> dispatch;
    checkCode(arithm->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put())), S_OK,
              "QueryInterface IDispatch");
    if (dispatch) {
        testDispatch(*dispatch.get());
    }
}

}  // namespace

int main() {
    if (CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) < 0) {
        return 2;
    }
    testNothingRegistered();
    // In an activation context the ProgID may give an alias of the class id (Wine does), which
    // creates the same class.
    CLSID fromProgId{};
    checkCode(CLSIDFromProgID(L"Kestrum.Arithm", &fromProgId), S_OK, "CLSIDFromProgID");
    testCreatedBy(fromProgId, "created by ProgID");
    testCreatedBy(CLSID_Arithm, "created by class id");
    // There the object lives in a host apartment of COM's, and the type library marshaler, which
    // carries the early-bound calls to it, must find the library through the assembly too.
    std::thread([] {
        if (CoInitializeEx(nullptr, COINIT_MULTITHREADED) >= 0) {
            testCreatedBy(CLSID_Arithm, "created by class id in the multi-threaded apartment");
            CoUninitialize();
        }
    }).join();
    CoUninitialize();
    return kestrum::test::exitStatus("regfree_client");
}
