// The entry point and the two exports that hand out the class factory and allow unloading.
#include <windows.h>

#include "class_factory.h"
#include "kestrum_idl.h"
#include "module.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        kestrum::com::module::setHandle(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    return kestrum::com::module::inUse() ? S_FALSE : S_OK;
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
