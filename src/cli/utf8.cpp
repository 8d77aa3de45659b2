#include "utf8.h"

#include <cstddef>
#include <cstdint>

namespace kestrum::cli {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kMaxCodePoint = 0x10FFFF;

bool isSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// Each writer stores at `out` and moves it past what it stored.
void writeUtf16(char16_t*& out, char32_t c) {
    if (c < 0x10000) {
        *out++ = static_cast<char16_t>(c);
        return;
    }
    c -= 0x10000;
    *out++ = static_cast<char16_t>(0xD800 + (c >> 10));
    *out++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
}

void writeUtf8(char*& out, char32_t c) {
    auto byte = [&out](char32_t b) { *out++ = static_cast<char>(static_cast<unsigned char>(b)); };
    if (c < 0x80) {
        byte(c);
    } else if (c < 0x800) {
        byte(0xC0 | (c >> 6));
        byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        byte(0xE0 | (c >> 12));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    } else {
        byte(0xF0 | (c >> 18));
        byte(0x80 | ((c >> 12) & 0x3F));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    }
}

}  // namespace

bool utf8ToUtf16(std::string_view utf8, std::u16string& out) {
    // Never more code units than bytes; the text is cut to its length at the end.
    out.resize(utf8.size());
    char16_t* const start = out.data();
    char16_t* next = start;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            *next++ = lead;
            ++i;
            continue;
        }
        std::size_t extra = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            c = lead & 0x1FU;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            c = lead & 0x0FU;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            c = lead & 0x07U;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (utf8.size() - i <= extra) {
            return false;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto follower = static_cast<unsigned char>(utf8[i + k]);
            if ((follower & 0xC0) != 0x80) {
                return false;
            }
            c = (c << 6) | (follower & 0x3FU);
        }
        if (c < minimum || c > kMaxCodePoint || isSurrogate(c)) {
            return false;
        }
        writeUtf16(next, c);
        i += extra + 1;
    }
    out.resize(static_cast<std::size_t>(next - start));
    return true;
}

std::optional<std::u16string> utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    if (!utf8ToUtf16(utf8, out)) {
        return std::nullopt;
    }
    return out;
}

void appendUtf8(std::u16string_view utf16, std::string& out) {
    // At most three bytes for each code unit; the text is cut to its length at the end.
    const std::size_t kept = out.size();
    out.resize(kept + 3 * utf16.size());
    char* const start = out.data();
    char* next = start + kept;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c < 0x80) {
            *next++ = static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00U);
            ++i;
        } else if (isSurrogate(c)) {
            c = kReplacement;
        }
        writeUtf8(next, c);
    }
    out.resize(static_cast<std::size_t>(next - start));
}

std::string utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    appendUtf8(utf16, out);
    return out;
}

}  // namespace kestrum::cli
