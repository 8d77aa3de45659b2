// The class factory of Arithm. It is one static object; each reference on it and each
// LockServer(TRUE) keeps the DLL loaded.
#pragma once

#include <windows.h>

namespace kestrum::com {

IClassFactory& arithmFactory() noexcept;

}  // namespace kestrum::com
