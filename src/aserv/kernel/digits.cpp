#include "digits.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace kestrum::aserv::kernel::detail {

using groups::kZeros4;
using groups::load4;

std::uint64_t parseWord(const char16_t* p, std::size_t n) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) {
        v = v * 10 + static_cast<std::uint64_t>(p[i] - u'0');
    }
    return v;
}

std::size_t wordDigits(std::uint64_t v) {
    std::size_t n = 1;
    while (v >= 10) {
        v /= 10;
        ++n;
    }
    return n;
}

std::u16string_view stripZeros(std::u16string_view digits) {
    std::size_t i = 0;
    const std::size_t n = digits.size();
    while (i + 4 <= n && load4(digits.data() + i) == kZeros4) {
        i += 4;
    }
    while (i < n && digits[i] == u'0') {
        ++i;
    }
    return digits.substr(i);
}

int compareStripped(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    const std::size_t n = a.size();
    std::size_t i = 0;
    while (i + 4 <= n) {
        const std::uint64_t x = load4(a.data() + i);
        const std::uint64_t y = load4(b.data() + i);
        if (x != y) {
            i += static_cast<std::size_t>(std::countr_zero(x ^ y)) / 16;
            break;
        }
        i += 4;
    }
    for (; i < n; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return 0;
}

void parseLimbs(std::u16string_view digits, Limb* out) {
    const char16_t* p = digits.data() + digits.size();
    std::size_t left = digits.size();
    while (left >= kLimbDigits) {
        p -= kLimbDigits;
        left -= kLimbDigits;
        *out++ = parseLimb(p);
    }
    if (left != 0) {
        *out = parseWord(digits.data(), left);
    }
}

std::size_t digitCount(const Limb* limbs, std::size_t count) {
    while (count != 0 && limbs[count - 1] == 0) {
        --count;
    }
    if (count == 0) {
        return 0;
    }
    return (count - 1) * kLimbDigits + wordDigits(limbs[count - 1]);
}

void formatLimbs(const Limb* limbs, std::size_t count, char16_t* out) {
    while (count != 0 && limbs[count - 1] == 0) {
        --count;
    }
    if (count == 0) {
        return;
    }
    std::array<char16_t, kLimbDigits> top{};
    formatLimb(top.data(), limbs[count - 1]);
    const std::size_t topDigits = wordDigits(limbs[count - 1]);
    std::memcpy(out, top.data() + kLimbDigits - topDigits, topDigits * sizeof(char16_t));
    out += topDigits;
    for (std::size_t i = count - 1; i-- != 0;) {
        formatLimb(out, limbs[i]);
        out += kLimbDigits;
    }
}

std::u16string limbsToText(const Limb* limbs, std::size_t count) {
    const std::size_t n = digitCount(limbs, count);
    if (n == 0) {
        return u"0";
    }
    std::u16string text(n, u'0');
    formatLimbs(limbs, count, text.data());
    return text;
}

}  // namespace kestrum::aserv::kernel::detail
