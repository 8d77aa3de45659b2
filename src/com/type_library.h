// The type library embedded in Kestrum.dll (resource TYPELIB 1).
#pragma once

#include <windows.h>

namespace kestrum::com {

HRESULT loadTypeLibrary(ITypeLib** library) noexcept;

// The dispatch description of _Arithm, which drives GetIDsOfNames, shared by all objects: loaded
// on first use and kept until releaseSharedArithmTypeInfo(). *info receives a reference of the
// caller's own.
HRESULT sharedArithmTypeInfo(ITypeInfo** info) noexcept;

// Drops the shared description (when no object is left); the next use loads it again.
void releaseSharedArithmTypeInfo() noexcept;

}  // namespace kestrum::com
