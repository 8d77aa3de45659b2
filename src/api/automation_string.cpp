#include "automation_string.h"

#include <cstdlib>
#include <limits>

#include "unit_copy.h"

namespace kestrum::api {

#if defined(_WIN32)

static_assert(sizeof(OLECHAR) == sizeof(char16_t));

AutoString autoStringAlloc(std::u16string_view text) noexcept {
    if (text.size() > std::numeric_limits<UINT>::max() / 2) {
        return nullptr;
    }
    // Allocated empty and filled here, with a copy that stays fast wherever the heap puts it.
    const BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(text.size()));
    if (result != nullptr) {
        copyUnits(reinterpret_cast<char16_t*>(result), text.data(), text.size());
    }
    return result;
}

void autoStringFree(AutoString text) noexcept {
    SysFreeString(text);
}

std::u16string_view autoStringView(AutoString text) noexcept {
    if (text == nullptr) {
        return {};
    }
    return {reinterpret_cast<const char16_t*>(text), SysStringLen(text)};
}

#else

namespace {

using LengthPrefix = std::uint32_t;

// The byte count in front of the code units.
LengthPrefix* prefixOf(AutoString text) noexcept {
    return reinterpret_cast<LengthPrefix*>(reinterpret_cast<unsigned char*>(text) -
                                           sizeof(LengthPrefix));
}

}  // namespace

AutoString autoStringAlloc(std::u16string_view text) noexcept {
    constexpr std::size_t kMaxUnits =
        (std::numeric_limits<LengthPrefix>::max() - sizeof(LengthPrefix)) / sizeof(char16_t) - 1;
    if (text.size() > kMaxUnits) {
        return nullptr;
    }
    const std::size_t bytes = text.size() * sizeof(char16_t);
    void* block = std::malloc(sizeof(LengthPrefix) + bytes + sizeof(char16_t));
    if (block == nullptr) {
        return nullptr;
    }
    auto* prefix = static_cast<LengthPrefix*>(block);
    *prefix = static_cast<LengthPrefix>(bytes);
    auto* units = reinterpret_cast<char16_t*>(prefix + 1);
    copyUnits(units, text.data(), text.size());
    units[text.size()] = u'\0';
    return units;
}

void autoStringFree(AutoString text) noexcept {
    if (text != nullptr) {
        std::free(prefixOf(text));
    }
}

std::u16string_view autoStringView(AutoString text) noexcept {
    if (text == nullptr) {
        return {};
    }
    return {text, *prefixOf(text) / sizeof(char16_t)};
}

#endif

}  // namespace kestrum::api
