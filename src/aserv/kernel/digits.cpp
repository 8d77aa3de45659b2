#include "digits.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace kestrum::aserv::kernel::detail {
namespace {

static_assert(std::endian::native == std::endian::little, "digit packing assumes little endian");

constexpr std::uint64_t kZeros4 = 0x0030'0030'0030'0030ULL;

std::uint64_t load4(const char16_t* p) {
    std::uint64_t x = 0;
    std::memcpy(&x, p, sizeof x);
    return x;
}

// Four digit code units, most significant first, with 16 bits each: lanes 0 and 2 get the
// values of the two pairs.
std::uint64_t pairs4(const char16_t* p) {
    const std::uint64_t x = load4(p) - kZeros4;
    return (x * 10 + (x >> 16)) & 0x0000'FFFF'0000'FFFFULL;
}

// Eight digits as two four-digit values in the 16-bit lanes 0 (leading) and 1: the pairs of
// both halves interleaved, then combined in one multiplication.
std::uint64_t fours8(const char16_t* p) {
    const std::uint64_t x = pairs4(p) | (pairs4(p + 4) << 16);
    return (x * 100 + (x >> 32)) & 0xFFFF'FFFFULL;
}

// Sixteen digits: both eight-digit values formed together in 32-bit lanes.
std::uint64_t parse16(const char16_t* p) {
    constexpr std::uint64_t kLow16 = 0x0000'FFFF'0000'FFFFULL;
    const std::uint64_t x = fours8(p) | (fours8(p + 8) << 32);
    const std::uint64_t y = (x & kLow16) * 10'000 + ((x >> 16) & kLow16);
    return (y & 0xFFFF'FFFFULL) * 100'000'000 + (y >> 32);
}

constexpr std::array<char16_t, 200> kPairs = [] {
    std::array<char16_t, 200> t{};
    for (std::size_t i = 0; i < 100; ++i) {
        t[2 * i] = static_cast<char16_t>(u'0' + i / 10);
        t[2 * i + 1] = static_cast<char16_t>(u'0' + i % 10);
    }
    return t;
}();

void write2(char16_t* out, std::uint32_t v) {
    std::memcpy(out, &kPairs[2 * v], 2 * sizeof(char16_t));
}

// Eight digits of v < 10^8, two at a time: v / 10^6 as a fraction with 57 bits, each pair taken
// from the integer part and the fraction multiplied by 100 (exact for every v < 10^8).
void write8(char16_t* out, std::uint64_t v) {
    constexpr std::uint64_t kScale = (std::uint64_t{1} << 57) / 1'000'000 + 1;
    constexpr std::uint64_t kFraction = (std::uint64_t{1} << 57) - 1;
    std::uint64_t t = v * kScale;
    for (std::size_t i = 0; i < 8; i += 2) {
        write2(out + i, static_cast<std::uint32_t>(t >> 57));
        t = (t & kFraction) * 100;
    }
}

}  // namespace

std::uint64_t parseWord(const char16_t* p, std::size_t n) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) {
        v = v * 10 + static_cast<std::uint64_t>(p[i] - u'0');
    }
    return v;
}

Limb parseLimb(const char16_t* p) {
    return parse16(p) * 100 + static_cast<Limb>(p[16] - u'0') * 10 +
           static_cast<Limb>(p[17] - u'0');
}

void formatLimb(char16_t* out, Limb v) {
    const Limb high = v / 100'000'000;
    const Limb top = high / 100'000'000;
    write2(out, static_cast<std::uint32_t>(top));
    write8(out + 2, high - top * 100'000'000);
    write8(out + 10, v - high * 100'000'000);
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
