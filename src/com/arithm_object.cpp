#include "arithm_object.h"

#include <memory>
#include <new>

#include "com_ref.h"
#include "error_info.h"
#include "type_library.h"

namespace kestrum::com {

HRESULT ArithmObject::create(REFIID interfaceId, void** object) noexcept {
    ArithmObject* instance = nullptr;
    try {
        instance = std::make_unique<ArithmObject>().release();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    // The query adds the caller's reference; Release drops the one of construction.
    const HRESULT result = instance->QueryInterface(interfaceId, object);
    instance->Release();
    return result;
}

HRESULT ArithmObject::QueryInterface(REFIID interfaceId, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(interfaceId, IID_IUnknown) || IsEqualIID(interfaceId, IID_IDispatch) ||
        IsEqualIID(interfaceId, IID__Arithm)) {
        *object = static_cast<_Arithm*>(this);
    } else if (IsEqualIID(interfaceId, IID_ISupportErrorInfo)) {
        *object = static_cast<ISupportErrorInfo*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG ArithmObject::AddRef() {
    return ++references_;
}

ULONG ArithmObject::Release() {
    const ULONG remaining = --references_;
    if (remaining == 0) {
        std::unique_ptr<ArithmObject> last(this);
    }
    return remaining;
}

HRESULT ArithmObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 1;
    return S_OK;
}

HRESULT ArithmObject::GetTypeInfo(UINT index, LCID /*locale*/, ITypeInfo** info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    *info = nullptr;
    if (index != 0) {
        return DISP_E_BADINDEX;
    }
    return sharedArithmTypeInfo(info);
}

HRESULT ArithmObject::GetIDsOfNames(REFIID interfaceId, LPOLESTR* names, UINT count,
                                    LCID /*locale*/, DISPID* ids) {
    if (!IsEqualIID(interfaceId, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    ComRef<ITypeInfo> info;
    const HRESULT loaded = sharedArithmTypeInfo(info.put());
    if (loaded < 0) {
        return loaded;
    }
    return info->GetIDsOfNames(names, count, ids);
}

HRESULT ArithmObject::iadd(BSTR* a1, BSTR* a2, BSTR* result) {
    return publishOutcome(arithm_.iadd(a1, a2, result));
}

HRESULT ArithmObject::isub(BSTR* a1, BSTR* a2, BSTR* result) {
    return publishOutcome(arithm_.isub(a1, a2, result));
}

HRESULT ArithmObject::imult(BSTR* a1, BSTR* a2, BSTR* result) {
    return publishOutcome(arithm_.imult(a1, a2, result));
}

HRESULT ArithmObject::idiv(BSTR* a1, BSTR* a2, BSTR* m, BSTR* r, short* er) {
    return publishOutcome(arithm_.idiv(a1, a2, m, r, er));
}

HRESULT ArithmObject::radd(BSTR* a1, BSTR* a2, BSTR* result) {
    return publishOutcome(arithm_.radd(a1, a2, result));
}

HRESULT ArithmObject::rsub(BSTR* a1, BSTR* a2, BSTR* result) {
    return publishOutcome(arithm_.rsub(a1, a2, result));
}

HRESULT ArithmObject::rmult(BSTR* a1, BSTR* a2, BSTR* result) {
    return publishOutcome(arithm_.rmult(a1, a2, result));
}

HRESULT ArithmObject::icomp(BSTR* a1, BSTR* a2, short* result) {
    return publishOutcome(arithm_.icomp(a1, a2, result));
}

HRESULT ArithmObject::InterfaceSupportsErrorInfo(REFIID interfaceId) {
    return IsEqualIID(interfaceId, IID__Arithm) ? S_OK : S_FALSE;
}

}  // namespace kestrum::com
