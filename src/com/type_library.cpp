#include "type_library.h"

#include <windows.h>

#include <new>
#include <string>
#include <utility>

#include "com_ref.h"
#include "kestrum_idl.h"
#include "module.h"

namespace kestrum::com {

namespace {

// The shared description with a reference of its own, or null; guarded by sharedLock. A plain
// pointer, so that nothing calls into the system's type library code when the DLL is detached.
// NOLINTBEGIN(cppcoreguidelines-avoid-non-const-global-variables)
SRWLOCK sharedLock = SRWLOCK_INIT;
ITypeInfo* shared = nullptr;
// NOLINTEND(cppcoreguidelines-avoid-non-const-global-variables)

HRESULT loadArithmTypeInfo(ITypeInfo** info) noexcept {
    ComRef<ITypeLib> library;
    const HRESULT loaded = loadTypeLibrary(library.put());
    if (loaded < 0) {
        return loaded;
    }
    return library->GetTypeInfoOfGuid(IID__Arithm, info);
}

}  // namespace

HRESULT loadTypeLibrary(ITypeLib** library) noexcept {
    try {
        const std::wstring path = module::path();
        if (path.empty()) {
            return E_UNEXPECTED;
        }
        return LoadTypeLibEx(path.c_str(), REGKIND_NONE, library);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT sharedArithmTypeInfo(ITypeInfo** info) noexcept {
    AcquireSRWLockShared(&sharedLock);
    ITypeInfo* const current = shared;
    if (current != nullptr) {
        current->AddRef();
    }
    ReleaseSRWLockShared(&sharedLock);
    if (current != nullptr) {
        *info = current;
        return S_OK;
    }
    ComRef<ITypeInfo> loaded;
    const HRESULT result = loadArithmTypeInfo(loaded.put());
    if (result < 0) {
        return result;
    }
    AcquireSRWLockExclusive(&sharedLock);
    if (shared == nullptr) {
        loaded->AddRef();
        shared = loaded.get();
    }
    ReleaseSRWLockExclusive(&sharedLock);
    *info = loaded.detach();
    return S_OK;
}

void releaseSharedArithmTypeInfo() noexcept {
    AcquireSRWLockExclusive(&sharedLock);
    ITypeInfo* const released = std::exchange(shared, nullptr);
    ReleaseSRWLockExclusive(&sharedLock);
    if (released != nullptr) {
        released->Release();
    }
}

}  // namespace kestrum::com
