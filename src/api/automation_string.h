// Automation strings: length-prefixed UTF-16 owned by whoever receives them, where a null
// string counts as the empty string. On Windows they are the platform's BSTR; elsewhere a small
// allocator with the same layout (a 32-bit byte count, the code units, a terminating 0).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#if defined(_WIN32)
#include <windows.h>
// After windows.h, whose types it relies on.
#include <oleauto.h>
#endif

namespace kestrum::api {

#if defined(_WIN32)
using AutoString = BSTR;
using ResultCode = HRESULT;
#else
using AutoString = char16_t*;
using ResultCode = std::int32_t;
#endif

// A new automation string holding `text`; null when memory runs out.
AutoString autoStringAlloc(std::u16string_view text) noexcept;

// Frees a string from autoStringAlloc (or the platform); null is allowed.
void autoStringFree(AutoString text) noexcept;

// The code units of an automation string; the empty view for null.
std::u16string_view autoStringView(AutoString text) noexcept;

struct AutoStringDeleter {
    void operator()(std::remove_pointer_t<AutoString>* text) const noexcept {
        autoStringFree(text);
    }
};

// Owns an automation string until it is handed over with release().
using AutoStringHolder = std::unique_ptr<std::remove_pointer_t<AutoString>, AutoStringDeleter>;

}  // namespace kestrum::api
