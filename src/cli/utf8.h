// Conversions between UTF-8 (the command line) and UTF-16 (number texts).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrum::cli {

// UTF-16 for well-formed UTF-8; nothing for malformed input (bad bytes, overlong forms,
// surrogates encoded in UTF-8, code points above U+10FFFF).
std::optional<std::u16string> utf8ToUtf16(std::string_view utf8);

// The same into `out`, whose storage is reused: true for well-formed UTF-8; false, with `out`
// holding an unspecified part of the text, for malformed input.
bool utf8ToUtf16(std::string_view utf8, std::u16string& out);

// UTF-8 for UTF-16; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view utf16);

// The same, appended to `out`.
void appendUtf8(std::u16string_view utf16, std::string& out);

}  // namespace kestrum::cli
