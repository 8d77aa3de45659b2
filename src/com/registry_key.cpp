#include "registry_key.h"

namespace kestrum::com {

RegistryKey::RegistryKey(const std::wstring& path) noexcept
    : status_(RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key_, nullptr)) {}

RegistryKey::~RegistryKey() {
    if (status_ == ERROR_SUCCESS) {
        RegCloseKey(key_);
    }
}

LONG RegistryKey::setString(const wchar_t* name, const std::wstring& value) noexcept {
    if (status_ != ERROR_SUCCESS) {
        return status_;
    }
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          bytes);
}

LONG removeRegistryTree(const std::wstring& path) noexcept {
    const LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

bool registryKeyExists(const std::wstring& path) noexcept {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

bool registryKeyHasSubkeys(const std::wstring& path) noexcept {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD subkeys = 0;
    const LONG status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                         nullptr, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && subkeys > 0;
}

}  // namespace kestrum::com
