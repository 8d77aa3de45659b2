// Checks for the test programs that run under Wine: a failed check prints what was expected
// and where, and the program's exit status reports whether any check failed.
#pragma once

#include <windows.h>

#include <cstdio>
#include <source_location>
#include <string>
#include <string_view>

namespace kestrum::test {

// The failure result of run-time error `number`: 0x800A0000 + number.
constexpr HRESULT runTimeError(unsigned number) {
    return static_cast<HRESULT>(0x800A0000U + number);
}

inline int& failureCount() {
    static int count = 0;
    return count;
}

inline void check(bool condition, std::string_view what,
                  std::source_location where = std::source_location::current()) {
    if (!condition) {
        ++failureCount();
        std::printf("FAILED %s:%u: %.*s\n", where.file_name(), static_cast<unsigned>(where.line()),
                    static_cast<int>(what.size()), what.data());
    }
}

inline void checkCode(HRESULT actual, HRESULT expected, std::string_view what,
                      std::source_location where = std::source_location::current()) {
    if (actual != expected) {
        std::printf("  result 0x%08lX, expected 0x%08lX\n", static_cast<unsigned long>(actual),
                    static_cast<unsigned long>(expected));
    }
    check(actual == expected, what, where);
}

inline std::wstring text(BSTR value) {
    return value == nullptr ? std::wstring() : std::wstring(value, SysStringLen(value));
}

inline int exitStatus(const char* program) {
    std::printf("%s: %d failed checks\n", program, failureCount());
    return failureCount() == 0 ? 0 : 1;
}

// Whether HKEY_CLASSES_ROOT holds the key `path`.
inline bool classesKeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// Owns a BSTR for the length of a test step.
class Bstr {
  public:
    explicit Bstr(const wchar_t* value) : value_(value ? SysAllocString(value) : nullptr) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(value_); }
    BSTR& get() { return value_; }

  private:
    BSTR value_;
};

}  // namespace kestrum::test
