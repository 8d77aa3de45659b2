// Number texts: strings of UTF-16 code units with an explicit length.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kestrum::aserv {

using Text = std::u16string;
using TextView = std::u16string_view;

// Whether `view` lies in the storage of `text` (then writing to the text changes the view).
inline bool sharesStorage(const Text& text, TextView view) {
    const std::less_equal<> notAfter;
    return !view.empty() && notAfter(text.data(), view.data()) &&
           notAfter(view.data(), text.data() + text.size());
}

inline constexpr char16_t kBlank = u' ';
inline constexpr char16_t kMinus = u'-';
inline constexpr char16_t kPlus = u'+';
inline constexpr char16_t kPoint = u'.';
inline constexpr char16_t kZero = u'0';

}  // namespace kestrum::aserv
