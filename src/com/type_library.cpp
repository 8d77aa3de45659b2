#include "type_library.h"

#include <windows.h>

#include <new>
#include <string>

#include "com_ref.h"
#include "kestrum_idl.h"
#include "module.h"

namespace kestrum::com {

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

HRESULT loadArithmTypeInfo(ITypeInfo** info) noexcept {
    ComRef<ITypeLib> library;
    const HRESULT loaded = loadTypeLibrary(library.put());
    if (loaded < 0) {
        return loaded;
    }
    return library->GetTypeInfoOfGuid(IID__Arithm, info);
}

}  // namespace kestrum::com
