// Kestrum.Arithm from C++ through its vtable interface. The declarations come from the type
// library (build: widl -h on kestrum.idl, or #import on Kestrum.dll with Visual C++).
#include <windows.h>

#include <cstdio>

#include "kestrum_idl.h"

namespace {

// Prints one line per call: the result, or the error with its description.
void show(const wchar_t* label, HRESULT code, BSTR result) {
    if (code >= 0) {
        std::printf("%ls = %ls\n", label, result != nullptr ? result : L"");
        return;
    }
    IErrorInfo* info = nullptr;
    BSTR description = nullptr;
    if (GetErrorInfo(0, &info) == S_OK) {
        info->GetDescription(&description);
        info->Release();
    }
    std::printf("%ls fails: 0x%08lX %ls\n", label, static_cast<unsigned long>(code),
                description != nullptr ? description : L"");
    SysFreeString(description);
}

}  // namespace

int main() {
    if (CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) < 0) {
        return 1;
    }
    _Arithm* arithm = nullptr;
    const HRESULT created = CoCreateInstance(CLSID_Arithm, nullptr, CLSCTX_INPROC_SERVER,
                                             IID__Arithm, reinterpret_cast<void**>(&arithm));
    if (created < 0) {
        std::printf("Kestrum.Arithm is not registered (0x%08lX)\n",
                    static_cast<unsigned long>(created));
        CoUninitialize();
        return 1;
    }
    BSTR a = SysAllocString(L"123456789123456789");
    BSTR b = SysAllocString(L"-987654321");
    BSTR bad = SysAllocString(L"1a");
    BSTR result = nullptr;

    HRESULT code = arithm->imult(&a, &b, &result);
    show(L"imult(123456789123456789, -987654321)", code, result);
    SysFreeString(result);

    BSTR quotient = nullptr;
    BSTR remainder = nullptr;
    short divisionByZero = 0;
    code = arithm->idiv(&a, &b, &quotient, &remainder, &divisionByZero);
    std::printf("idiv: quotient %ls, remainder %ls, er %d\n", quotient, remainder, divisionByZero);
    SysFreeString(quotient);
    SysFreeString(remainder);

    result = nullptr;
    code = arithm->iadd(&bad, &a, &result);
    show(L"iadd(1a, 123456789123456789)", code, result);

    SysFreeString(a);
    SysFreeString(b);
    SysFreeString(bad);
    arithm->Release();
    CoUninitialize();
    return 0;
}
