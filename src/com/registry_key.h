// An open key below HKEY_CLASSES_ROOT, closed when it goes out of scope.
#pragma once

#include <windows.h>

#include <string>

namespace kestrum::com {

class RegistryKey {
  public:
    // Opens `path`, creating it and its parents when missing; check with status().
    explicit RegistryKey(const std::wstring& path) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey();

    LONG status() const noexcept { return status_; }

    // Writes a string value; a null name writes the key's default value.
    LONG setString(const wchar_t* name, const std::wstring& value) noexcept;

  private:
    HKEY key_ = nullptr;
    LONG status_;
};

// Removes `path` with all its subkeys; a missing key counts as removed.
LONG removeRegistryTree(const std::wstring& path) noexcept;

bool registryKeyExists(const std::wstring& path) noexcept;

// Whether `path` exists and has at least one subkey.
bool registryKeyHasSubkeys(const std::wstring& path) noexcept;

}  // namespace kestrum::com
