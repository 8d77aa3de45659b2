// The COM object of class Arithm: _Arithm (dual, so also IDispatch) and ISupportErrorInfo over
// the plain Arithm class. Every method publishes its outcome in the thread's error information.
#pragma once

#include <windows.h>

#include <atomic>

#include "arithm.h"
#include "kestrum_idl.h"
#include "module.h"

namespace kestrum::com {

class ArithmObject final : public _Arithm, public ISupportErrorInfo {
  public:
    // Creates an object and queries it for `interfaceId`. Objects live on the heap only and
    // delete themselves when their last reference is released.
    static HRESULT create(REFIID interfaceId, void** object) noexcept;

    ArithmObject() = default;
    ~ArithmObject() = default;
    ArithmObject(const ArithmObject&) = delete;
    ArithmObject& operator=(const ArithmObject&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID interfaceId, LPOLESTR* names, UINT count,
                                            LCID locale, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID interfaceId, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

    // _Arithm
    HRESULT STDMETHODCALLTYPE iadd(BSTR* a1, BSTR* a2, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE isub(BSTR* a1, BSTR* a2, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE imult(BSTR* a1, BSTR* a2, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE idiv(BSTR* a1, BSTR* a2, BSTR* m, BSTR* r, short* er) override;
    HRESULT STDMETHODCALLTYPE radd(BSTR* a1, BSTR* a2, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE rsub(BSTR* a1, BSTR* a2, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE rmult(BSTR* a1, BSTR* a2, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE icomp(BSTR* a1, BSTR* a2, short* result) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID interfaceId) override;

  private:
    // The object's whole state: the type description is shared by all objects, and calls work
    // in storage that belongs to none.
    std::atomic<ULONG> references_{1};
    module::ObjectCount count_;
    api::Arithm arithm_;
};

}  // namespace kestrum::com
