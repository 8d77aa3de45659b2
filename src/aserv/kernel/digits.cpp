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
    static constexpr std::array<std::uint64_t, 20> kPowers = [] {
        std::array<std::uint64_t, 20> p{};
        p[0] = 1;
        for (std::size_t i = 1; i < p.size(); ++i) {
            p[i] = p[i - 1] * 10;
        }
        return p;
    }();
    // bits * 1233 / 4096 is floor(log10(2^bits)) or one above it for every bit length up to 64.
    const auto bits = static_cast<std::size_t>(std::bit_width(v | 1));
    const std::size_t guess = (bits * 1233) >> 12;
    return guess + ((v | 1) >= kPowers[guess] ? 1U : 0U);
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

namespace {

std::size_t significantLimbs(const Limb* limbs, std::size_t count) {
    while (count != 0 && limbs[count - 1] == 0) {
        --count;
    }
    return count;
}

// Writes limbs[0..count), count >= 1 and a non-zero top limb of topDigits digits.
void formatSignificant(const Limb* limbs, std::size_t count, std::size_t topDigits, char16_t* out) {
    std::array<char16_t, kLimbDigits> top{};
    formatLimb(top.data(), limbs[count - 1]);
    std::memcpy(out, top.data() + kLimbDigits - topDigits, topDigits * sizeof(char16_t));
    out += topDigits;
    for (std::size_t i = count - 1; i-- != 0;) {
        formatLimb(out, limbs[i]);
        out += kLimbDigits;
    }
}

}  // namespace

std::size_t digitCount(const Limb* limbs, std::size_t count) {
    count = significantLimbs(limbs, count);
    return count == 0 ? 0 : (count - 1) * kLimbDigits + wordDigits(limbs[count - 1]);
}

void formatLimbs(const Limb* limbs, std::size_t count, char16_t* out) {
    count = significantLimbs(limbs, count);
    if (count != 0) {
        formatSignificant(limbs, count, wordDigits(limbs[count - 1]), out);
    }
}

void limbsToText(const Limb* limbs, std::size_t count, std::u16string& out) {
    count = significantLimbs(limbs, count);
    if (count == 0) {
        out.assign(1, u'0');
        return;
    }
    const std::size_t topDigits = wordDigits(limbs[count - 1]);
    out.resize((count - 1) * kLimbDigits + topDigits);
    formatSignificant(limbs, count, topDigits, out.data());
}

namespace {

constexpr std::size_t kShortDigits = 16;

// Writes v < 10^16 as exactly 16 digits, with leading zeros.
void formatShortLimb(char16_t* out, Limb v) {
    const auto high = static_cast<std::uint32_t>(v / 100'000'000);
    const auto low = static_cast<std::uint32_t>(v % 100'000'000);
#if defined(__SSE2__)
    groups::write16(out, high, low);
#else
    groups::write8(out, high);
    groups::write8(out + 8, low);
#endif
}

}  // namespace

void parseShortLimbs(std::u16string_view digits, Limb* out) {
    const char16_t* p = digits.data() + digits.size();
    std::size_t left = digits.size();
    while (left >= kShortDigits) {
        p -= kShortDigits;
        left -= kShortDigits;
        *out++ = groups::parse16(p);
    }
    if (left != 0) {
        *out = parseWord(digits.data(), left);
    }
}

void shortLimbsToText(const Limb* limbs, std::size_t count, std::u16string& out) {
    count = significantLimbs(limbs, count);
    if (count == 0) {
        out.assign(1, u'0');
        return;
    }
    const std::size_t topDigits = wordDigits(limbs[count - 1]);
    out.resize((count - 1) * kShortDigits + topDigits);
    std::array<char16_t, kShortDigits> top{};
    formatShortLimb(top.data(), limbs[count - 1]);
    char16_t* o = out.data();
    std::memcpy(o, top.data() + kShortDigits - topDigits, topDigits * sizeof(char16_t));
    o += topDigits;
    for (std::size_t i = count - 1; i-- != 0;) {
        formatShortLimb(o, limbs[i]);
        o += kShortDigits;
    }
}

std::u16string limbsToText(const Limb* limbs, std::size_t count) {
    std::u16string text;
    limbsToText(limbs, count, text);
    return text;
}

}  // namespace kestrum::aserv::kernel::detail
