// The type library embedded in Kestrum.dll (resource TYPELIB 1).
#pragma once

#include <windows.h>

namespace kestrum::com {

HRESULT loadTypeLibrary(ITypeLib** library) noexcept;

// The dispatch description of _Arithm, which drives GetIDsOfNames.
HRESULT loadArithmTypeInfo(ITypeInfo** info) noexcept;

}  // namespace kestrum::com
