#include "digits.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "digit_runs.h"

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
    const std::size_t i = firstDifference(a, b);
    if (i == a.size()) {
        return 0;
    }
    return a[i] < b[i] ? -1 : 1;
}

namespace {

// The digits in groups of `digits` from the right, each read by `parse`; the leftmost group may
// be shorter.
template <std::size_t digits, Limb (*parse)(const char16_t*)>
void parseGroups(std::u16string_view text, Limb* out) {
    const char16_t* p = text.data() + text.size();
    std::size_t left = text.size();
    while (left >= digits) {
        p -= digits;
        left -= digits;
        *out++ = parse(p);
    }
    if (left != 0) {
        *out = parseWord(text.data(), left);
    }
}

std::size_t significantLimbs(const Limb* limbs, std::size_t count) {
    while (count != 0 && limbs[count - 1] == 0) {
        --count;
    }
    return count;
}

// Writes limbs[0..count), count >= 1 and a non-zero top limb of topDigits digits, each limb
// written by `format` as exactly `digits` digits.
template <std::size_t digits, void (*format)(char16_t*, Limb)>
void formatSignificant(const Limb* limbs, std::size_t count, std::size_t topDigits, char16_t* out) {
    std::array<char16_t, digits> top{};
    format(top.data(), limbs[count - 1]);
    std::memcpy(out, top.data() + digits - topDigits, topDigits * sizeof(char16_t));
    out += topDigits;
    for (std::size_t i = count - 1; i-- != 0;) {
        format(out, limbs[i]);
        out += digits;
    }
}

// The canonical text of limbs of `digits` digits each, into out.
template <std::size_t digits, void (*format)(char16_t*, Limb)>
void groupsToText(const Limb* limbs, std::size_t count, std::u16string& out) {
    count = significantLimbs(limbs, count);
    if (count == 0) {
        out.assign(1, u'0');
        return;
    }
    const std::size_t topDigits = wordDigits(limbs[count - 1]);
    out.resize((count - 1) * digits + topDigits);
    formatSignificant<digits, format>(limbs, count, topDigits, out.data());
}

// Writes v < 10^16 as exactly 16 digits, with leading zeros; builds with narrow words take the two
// groups of eight from v's halves by 10^9.
void formatShortLimb(char16_t* out, Limb v) {
    std::uint32_t high = 0;
    std::uint32_t low = 0;
    if constexpr (kNarrowWords) {
        const LimbHalves halves = cutHalves(v);
        const std::uint32_t lowLead = halves.low / 100'000'000;
        high = halves.high * 10 + lowLead;
        low = halves.low - lowLead * 100'000'000;
    } else {
        high = static_cast<std::uint32_t>(v / 100'000'000);
        low = static_cast<std::uint32_t>(v % 100'000'000);
    }
#if defined(__SSE2__)
    groups::write16(out, high, low);
#else
    groups::write8(out, high);
    groups::write8(out + 8, low);
#endif
}

}  // namespace

void parseLimbs(std::u16string_view digits, Limb* out) {
    parseGroups<kLimbDigits, parseLimb>(digits, out);
}

void parseShortLimbs(std::u16string_view digits, Limb* out) {
    parseGroups<kShortLimbDigits, groups::parse16>(digits, out);
}

std::size_t digitCount(const Limb* limbs, std::size_t count) {
    count = significantLimbs(limbs, count);
    return count == 0 ? 0 : (count - 1) * kLimbDigits + wordDigits(limbs[count - 1]);
}

void formatLimbs(const Limb* limbs, std::size_t count, char16_t* out) {
    count = significantLimbs(limbs, count);
    if (count != 0) {
        formatSignificant<kLimbDigits, formatLimb>(limbs, count, wordDigits(limbs[count - 1]), out);
    }
}

void limbsToText(const Limb* limbs, std::size_t count, std::u16string& out) {
    groupsToText<kLimbDigits, formatLimb>(limbs, count, out);
}

void shortLimbsToText(const Limb* limbs, std::size_t count, std::u16string& out) {
    groupsToText<kShortLimbDigits, formatShortLimb>(limbs, count, out);
}

std::u16string limbsToText(const Limb* limbs, std::size_t count) {
    std::u16string text;
    limbsToText(limbs, count, text);
    return text;
}

}  // namespace kestrum::aserv::kernel::detail
