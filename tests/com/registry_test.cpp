// What DllRegisterServer leaves in HKEY_CLASSES_ROOT, and that DllUnregisterServer leaves none of
// it. Arguments: "registered" with the Windows path of Kestrum.dll, or "unregistered".
#include <windows.h>

#include <array>
#include <string>

#include "check.h"
#include "kestrum_idl.h"

using kestrum::test::check;
using kestrum::test::classesKeyExists;

namespace {

std::wstring guidText(REFGUID guid) {
    std::array<wchar_t, 39> buffer{};
    StringFromGUID2(guid, buffer.data(), static_cast<int>(buffer.size()));
    return buffer.data();
}

// A string value, or "<missing>".
std::wstring readValue(const std::wstring& path, const wchar_t* name) {
    std::array<wchar_t, 1024> buffer{};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer.data(),
                     &size) != ERROR_SUCCESS) {
        return L"<missing>";
    }
    return buffer.data();
}

const std::wstring kClass = L"CLSID\\" + guidText(CLSID_Arithm);
const std::wstring kTypeLibrary = L"TypeLib\\" + guidText(LIBID_Kestrum);
const std::wstring kInterface = L"Interface\\" + guidText(IID__Arithm);
// RegisterTypeLib files the library's path under the platform the DLL is built for.
#if defined(_WIN64)
const std::wstring kPlatform = L"win64";
#else
const std::wstring kPlatform = L"win32";
#endif

void testRegistered(const std::wstring& dllPath) {
    struct Expected {
        std::wstring key;
        const wchar_t* name;
        std::wstring value;
    };
    const Expected values[] = {
        {kClass + L"\\InprocServer32", nullptr, dllPath},
        {kClass + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {kClass + L"\\ProgID", nullptr, L"Kestrum.Arithm"},
        {kClass + L"\\TypeLib", nullptr, guidText(LIBID_Kestrum)},
        {kClass + L"\\Version", nullptr, L"1.0"},
        {L"Kestrum.Arithm\\CLSID", nullptr, guidText(CLSID_Arithm)},
        {kTypeLibrary + L"\\1.0\\409\\" + kPlatform, nullptr, dllPath},
        // The neutral locale, where the marshaler of early-bound calls between apartments looks.
        {kTypeLibrary + L"\\1.0\\0\\" + kPlatform, nullptr, dllPath},
        {kInterface + L"\\TypeLib", nullptr, guidText(LIBID_Kestrum)},
    };
    for (const Expected& expected : values) {
        const std::wstring actual = readValue(expected.key, expected.name);
        if (actual != expected.value) {
            std::printf("  %ls: %ls\n", expected.key.c_str(), actual.c_str());
        }
        check(actual == expected.value, "registry value");
    }
    CLSID fromProgId{};
    check(CLSIDFromProgID(L"Kestrum.Arithm", &fromProgId) == S_OK &&
              IsEqualCLSID(fromProgId, CLSID_Arithm),
          "ProgID resolves to the class");
}

void testUnregistered() {
    for (const std::wstring& key :
         {kClass, std::wstring(L"Kestrum.Arithm"), kTypeLibrary, kInterface}) {
        if (classesKeyExists(key)) {
            std::printf("  left behind: %ls\n", key.c_str());
        }
        check(!classesKeyExists(key), "nothing of the server left");
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"registered" && argc == 3) {
        testRegistered(argv[2]);
    } else if (mode == L"unregistered" && argc == 2) {
        testUnregistered();
    } else {
        std::printf("usage: registry_test registered DLL-PATH | registry_test unregistered\n");
        return 2;
    }
    return kestrum::test::exitStatus("registry_test");
}
