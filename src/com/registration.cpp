// DllRegisterServer and DllUnregisterServer: the class, its ProgID and the type library in
// HKEY_CLASSES_ROOT.
#include <windows.h>
// After windows.h, whose types it relies on.
#include <olectl.h>

#include <array>
#include <new>
#include <string>

#include "com_ref.h"
#include "kestrum_idl.h"
#include "module.h"
#include "registry_key.h"
#include "type_library.h"

namespace kestrum::com {

namespace {

constexpr wchar_t kProgId[] = L"Kestrum.Arithm";

std::wstring guidText(REFGUID guid) {
    std::array<wchar_t, 39> text{};
    StringFromGUID2(guid, text.data(), static_cast<int>(text.size()));
    return text.data();
}

std::wstring classKey() {
    return L"CLSID\\" + guidText(CLSID_Arithm);
}

std::wstring typeLibraryKey() {
    return L"TypeLib\\" + guidText(LIBID_Kestrum);
}

// RegisterTypeLib files the library under its own locale (409) only, but the type library
// marshaler, which carries early-bound calls into the object's apartment from other apartments,
// looks it up under the neutral locale 0. This key points there to the same file.
#if defined(_WIN64)
constexpr wchar_t kPlatform[] = L"win64";
#else
constexpr wchar_t kPlatform[] = L"win32";
#endif

std::wstring neutralLocaleKey() {
    return typeLibraryKey() + L"\\1.0\\0";
}

bool writeNeutralLocaleEntry(const std::wstring& dllPath) {
    return RegistryKey(neutralLocaleKey() + L"\\" + kPlatform).setString(nullptr, dllPath) ==
           ERROR_SUCCESS;
}

// Removes this bitness's entry, and the locale key once the other bitness has none there either.
bool removeNeutralLocaleEntry() {
    const std::wstring locale = neutralLocaleKey();
    if (removeRegistryTree(locale + L"\\" + kPlatform) != ERROR_SUCCESS) {
        return false;
    }
    return registryKeyHasSubkeys(locale) || removeRegistryTree(locale) == ERROR_SUCCESS;
}

struct RegistryValue {
    std::wstring key;
    const wchar_t* name;  // null for the key's default value
    std::wstring data;
};

bool writeClassEntries(const std::wstring& dllPath) {
    const std::wstring clsid = classKey();
    const std::wstring progId = kProgId;
    const RegistryValue values[] = {
        {clsid, nullptr, progId},
        {clsid + L"\\InprocServer32", nullptr, dllPath},
        {clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsid + L"\\ProgID", nullptr, progId},
        {clsid + L"\\TypeLib", nullptr, guidText(LIBID_Kestrum)},
        {clsid + L"\\Version", nullptr, L"1.0"},
        {progId, nullptr, progId},
        {progId + L"\\CLSID", nullptr, guidText(CLSID_Arithm)},
    };
    for (const RegistryValue& value : values) {
        if (RegistryKey(value.key).setString(value.name, value.data) != ERROR_SUCCESS) {
            return false;
        }
    }
    return true;
}

bool removeClassEntries() {
    return removeRegistryTree(classKey()) == ERROR_SUCCESS &&
           removeRegistryTree(kProgId) == ERROR_SUCCESS;
}

HRESULT registerTypeLibrary(std::wstring dllPath) {
    ComRef<ITypeLib> library;
    const HRESULT loaded = loadTypeLibrary(library.put());
    if (loaded < 0) {
        return loaded;
    }
    return RegisterTypeLib(library.get(), dllPath.data(), nullptr);
}

HRESULT unregisterTypeLibrary() {
    if (!registryKeyExists(typeLibraryKey())) {
        return S_OK;
    }
    ComRef<ITypeLib> library;
    HRESULT result = loadTypeLibrary(library.put());
    TLIBATTR* attributes = nullptr;
    if (result >= 0) {
        result = library->GetLibAttr(&attributes);
    }
    if (result < 0) {
        return result;
    }
    result = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                               attributes->lcid, attributes->syskind);
    library->ReleaseTLibAttr(attributes);
    return result;
}

HRESULT unregisterAll() {
    // Before the library's own entries, so that UnRegisterTypeLib finds its version key
    // otherwise empty and removes it.
    const bool neutralRemoved = removeNeutralLocaleEntry();
    const HRESULT typeLibrary = unregisterTypeLibrary();
    if (!removeClassEntries()) {
        return SELFREG_E_CLASS;
    }
    return typeLibrary < 0 || !neutralRemoved ? SELFREG_E_TYPELIB : S_OK;
}

HRESULT registerAll() {
    const std::wstring dllPath = module::path();
    if (dllPath.empty()) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    if (!writeClassEntries(dllPath)) {
        unregisterAll();
        return SELFREG_E_CLASS;
    }
    if (registerTypeLibrary(dllPath) < 0 || !writeNeutralLocaleEntry(dllPath)) {
        unregisterAll();
        return SELFREG_E_TYPELIB;
    }
    return S_OK;
}

}  // namespace

}  // namespace kestrum::com

STDAPI DllRegisterServer() {
    try {
        return kestrum::com::registerAll();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDAPI DllUnregisterServer() {
    try {
        return kestrum::com::unregisterAll();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
