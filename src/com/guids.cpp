// Defines the GUIDs that the type library declares: LIBID_Kestrum, IID__Arithm, CLSID_Arithm.
#include <windows.h>
// After the system headers, so that only the GUIDs of kestrum_idl.h get defined here.
#include <initguid.h>

#include "kestrum_idl.h"
