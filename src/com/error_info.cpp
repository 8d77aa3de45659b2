#include "error_info.h"

#include <windows.h>

#include <new>

#include "com_ref.h"
#include "kestrum_idl.h"
#include "result_codes.h"

namespace kestrum::com {

std::wstring describeFailure(HRESULT code) noexcept {
    try {
        const std::u16string text = api::describeResult(code);
        return {text.begin(), text.end()};
    } catch (const std::bad_alloc&) {
        return {};
    }
}

HRESULT raiseDispatchException(HRESULT code, EXCEPINFO* exception) noexcept {
    if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->bstrSource = SysAllocString(kErrorSource);
        exception->bstrDescription = SysAllocString(describeFailure(code).c_str());
        exception->scode = code;
    }
    return DISP_E_EXCEPTION;
}

HRESULT publishOutcome(HRESULT code) noexcept {
    if (code >= 0) {
        SetErrorInfo(0, nullptr);
        return code;
    }
    ComRef<ICreateErrorInfo> creator;
    if (CreateErrorInfo(creator.put()) < 0) {
        return code;
    }
    const std::wstring description = describeFailure(code);
    creator->SetGUID(IID__Arithm);
    creator->SetSource(const_cast<LPOLESTR>(kErrorSource));
    creator->SetDescription(const_cast<LPOLESTR>(description.c_str()));
    ComRef<IErrorInfo> info;
    if (creator->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(info.put())) >= 0) {
        SetErrorInfo(0, info.get());
    }
    return code;
}

}  // namespace kestrum::com
