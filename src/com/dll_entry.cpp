// The entry point and the two exports that hand out the class factory and allow unloading.
#include <windows.h>

#include "class_factory.h"
#include "kestrum_idl.h"
#include "module.h"
#include "type_library.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        kestrum::com::module::setHandle(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

// Once nothing is in use the DLL may go: it lets go of the type description its objects shared.
STDAPI DllCanUnloadNow() {
    if (kestrum::com::module::inUse()) {
        return S_FALSE;
    }
    kestrum::com::releaseSharedArithmTypeInfo();
    return S_OK;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!IsEqualCLSID(classId, CLSID_Arithm)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return kestrum::com::arithmFactory().QueryInterface(interfaceId, object);
}
