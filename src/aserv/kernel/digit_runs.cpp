#include "digit_runs.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#include "digit_groups.h"
#include "packed_runs.h"

namespace kestrum::aserv::kernel {
namespace {

constexpr unsigned kDigitBase = 10;

unsigned digitOf(char16_t unit) {
    return static_cast<unsigned>(unit - u'0');
}

char16_t unitOf(unsigned digit) {
    return static_cast<char16_t>(u'0' + digit);
}

bool isDigitUnit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}

// Number of units equal to `unit` at the end of the text, four at a time while they last.
std::size_t trailingRun(std::u16string_view text, char16_t unit) {
    const std::uint64_t four = 0x0001'0001'0001'0001ULL * unit;
    std::size_t end = text.size();
    while (end >= 4 && detail::groups::load4(text.data() + end - 4) == four) {
        end -= 4;
    }
    while (end > 0 && text[end - 1] == unit) {
        --end;
    }
    return text.size() - end;
}

#if defined(__SSE2__)

constexpr std::size_t kLanes = 8;

__m128i load(const char16_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Bytes that are not digit units: nonzero there, zero in the others. Bytes packed from units
// above 0xFF (saturated to 0xFF) or at or above 0x8000 (saturated to 0) are no digits either.
__m128i outsideDigitBytes(__m128i bytes) {
    return _mm_subs_epu8(_mm_sub_epi8(bytes, _mm_set1_epi8('0')), _mm_set1_epi8(9));
}

bool noneOutside(__m128i outside) {
    return _mm_movemask_epi8(_mm_cmpeq_epi8(outside, _mm_setzero_si128())) == 0xFFFF;
}

#endif

// The block loops' variant for runs of n digits: only runs long enough for a block need it.
detail::RunsVariant variantFor(std::size_t n) {
    return n >= detail::kSmallestDigitBlock ? detail::fastestRunsVariant()
                                            : detail::RunsVariant::kDigitByDigit;
}

}  // namespace

std::size_t leadingDigits(std::u16string_view text) {
    // Only texts long enough for the block scan need the variant.
    return detail::leadingDigitsWith(text.size() >= detail::kSmallestScanBlock
                                         ? detail::fastestRunsVariant()
                                         : detail::RunsVariant::kDigitByDigit,
                                     text);
}

bool onlyDigits(std::u16string_view text) {
    return leadingDigits(text) == text.size();
}

RunComparison compareDigitRuns(std::u16string_view a, std::u16string_view b) {
    const std::size_t n = a.size();
    std::size_t i = 0;
    bool digits = true;
#if defined(__SSE2__)
    constexpr std::size_t kBlock = 2 * kLanes;
    __m128i outside = _mm_setzero_si128();
    for (; i + kBlock <= n; i += kBlock) {
        const __m128i a0 = load(a.data() + i);
        const __m128i a1 = load(a.data() + i + kLanes);
        const __m128i b0 = load(b.data() + i);
        const __m128i b1 = load(b.data() + i + kLanes);
        outside = _mm_or_si128(outside, _mm_or_si128(outsideDigitBytes(_mm_packus_epi16(a0, a1)),
                                                     outsideDigitBytes(_mm_packus_epi16(b0, b1))));
        const auto same = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(a0, b0), _mm_cmpeq_epi16(a1, b1))));
        if (same != 0xFFFFU) {
            // Past the difference only the digit check goes on.
            const std::size_t rest = i + kBlock;
            return {
                noneOutside(outside) && onlyDigits(a.substr(rest)) && onlyDigits(b.substr(rest)),
                i + static_cast<std::size_t>(std::countr_one(same))};
        }
    }
    if (n - i >= kLanes) {
        // Eight to fifteen units left: two blocks of eight, the second ending at the end.
        const std::size_t last = n - kLanes;
        const __m128i a0 = load(a.data() + i);
        const __m128i a1 = load(a.data() + last);
        const __m128i b0 = load(b.data() + i);
        const __m128i b1 = load(b.data() + last);
        outside = _mm_or_si128(outside, _mm_or_si128(outsideDigitBytes(_mm_packus_epi16(a0, a1)),
                                                     outsideDigitBytes(_mm_packus_epi16(b0, b1))));
        const auto same = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(a0, b0), _mm_cmpeq_epi16(a1, b1))));
        const unsigned first = same & 0xFFU;
        const unsigned second = same >> kLanes;
        const std::size_t difference =
            first != 0xFFU    ? i + static_cast<std::size_t>(std::countr_one(first))
            : second != 0xFFU ? last + static_cast<std::size_t>(std::countr_one(second))
                              : n;
        return {noneOutside(outside), difference};
    }
    digits = noneOutside(outside);
#endif
    std::size_t difference = n;
    for (; i < n; ++i) {
        digits = digits && isDigitUnit(a[i]) && isDigitUnit(b[i]);
        if (difference == n && a[i] != b[i]) {
            difference = i;
        }
    }
    return {digits, difference};
}

std::size_t firstDifference(std::u16string_view a, std::u16string_view b) {
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + kLanes <= a.size(); i += kLanes) {
        const auto same = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi16(load(a.data() + i), load(b.data() + i))));
        if (same != 0xFFFFU) {
            return i + static_cast<std::size_t>(std::countr_one(same)) / 2;
        }
    }
#else
    for (; i + 4 <= a.size(); i += 4) {
        const std::uint64_t x = detail::groups::load4(a.data() + i);
        const std::uint64_t y = detail::groups::load4(b.data() + i);
        if (x != y) {
            return i + static_cast<std::size_t>(std::countr_zero(x ^ y)) / 16;
        }
    }
#endif
    while (i < a.size() && a[i] == b[i]) {
        ++i;
    }
    return i;
}

unsigned addRuns(char16_t* out, std::u16string_view a, std::u16string_view b, unsigned carry) {
    return detail::addRunsWith(variantFor(a.size()), out, a, b, carry);
}

unsigned subtractRuns(char16_t* out, std::u16string_view a, std::u16string_view b,
                      unsigned borrow) {
    return detail::subtractRunsWith(variantFor(a.size()), out, a, b, borrow);
}

namespace detail {

std::size_t leadingDigitsWith(RunsVariant variant, std::u16string_view text) {
    std::size_t start = text.size() >= kSmallestScanBlock
                            ? leadingDigitBlocks(variant, text.data(), text.size())
                            : 0;
#if defined(__SSE2__)
    constexpr std::size_t kBlock = 4 * kLanes;
    for (; start + kBlock <= text.size(); start += kBlock) {
        const char16_t* p = text.data() + start;
        const __m128i outside = _mm_or_si128(
            outsideDigitBytes(_mm_packus_epi16(load(p), load(p + kLanes))),
            outsideDigitBytes(_mm_packus_epi16(load(p + 2 * kLanes), load(p + 3 * kLanes))));
        if (!noneOutside(outside)) {
            break;
        }
    }
    for (; start + kLanes <= text.size(); start += kLanes) {
        const __m128i units = load(text.data() + start);
        // Bit k for unit k when it is a digit.
        const auto digits =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(
                outsideDigitBytes(_mm_packus_epi16(units, units)), _mm_setzero_si128()))) &
            0xFFU;
        if (digits != 0xFFU) {
            return start + static_cast<std::size_t>(std::countr_one(digits));
        }
    }
#endif
    while (start < text.size() && isDigitUnit(text[start])) {
        ++start;
    }
    return start;
}

unsigned addRunsWith(RunsVariant variant, char16_t* out, std::u16string_view a,
                     std::u16string_view b, unsigned carry) {
    const std::size_t n = a.size() >= kSmallestDigitBlock
                              ? addPackedBlocks(variant, out, a.data(), b.data(), a.size(), carry)
                              : a.size();
    for (std::size_t i = n; i-- > 0;) {
        const unsigned sum = digitOf(a[i]) + digitOf(b[i]) + carry;
        carry = sum >= kDigitBase ? 1U : 0U;
        out[i] = unitOf(sum - carry * kDigitBase);
    }
    return carry;
}

unsigned subtractRunsWith(RunsVariant variant, char16_t* out, std::u16string_view a,
                          std::u16string_view b, unsigned borrow) {
    const std::size_t n =
        a.size() >= kSmallestDigitBlock
            ? subtractPackedBlocks(variant, out, a.data(), b.data(), a.size(), borrow)
            : a.size();
    for (std::size_t i = n; i-- > 0;) {
        const unsigned difference = kDigitBase + digitOf(a[i]) - digitOf(b[i]) - borrow;
        borrow = difference < kDigitBase ? 1U : 0U;
        out[i] = unitOf(difference - (1 - borrow) * kDigitBase);
    }
    return borrow;
}

}  // namespace detail

unsigned carryInto(char16_t* out, std::u16string_view a, unsigned carry) {
    std::copy(a.begin(), a.end(), out);
    if (carry == 0) {
        return 0;
    }
    const std::size_t n = a.size();
    const std::size_t nines = trailingRun(a, u'9');
    std::fill(out + n - nines, out + n, u'0');
    if (nines == n) {
        return 1;
    }
    ++out[n - nines - 1];
    return 0;
}

unsigned borrowFrom(char16_t* out, std::u16string_view a, unsigned borrow) {
    std::copy(a.begin(), a.end(), out);
    if (borrow == 0) {
        return 0;
    }
    const std::size_t n = a.size();
    const std::size_t zeros = trailingRun(a, u'0');
    std::fill(out + n - zeros, out + n, u'9');
    if (zeros == n) {
        return 1;
    }
    --out[n - zeros - 1];
    return 0;
}

unsigned subtractFromZero(char16_t* out, std::u16string_view b) {
    // The trailing zeros stay, the last other digit d becomes 10 - d and each one before it 9 - d.
    const std::size_t n = b.size();
    const std::size_t zeros = trailingRun(b, u'0');
    std::fill(out + n - zeros, out + n, u'0');
    if (zeros == n) {
        return 0;
    }
    const std::size_t last = n - zeros - 1;
    for (std::size_t i = 0; i < last; ++i) {
        out[i] = unitOf(kDigitBase - 1 - digitOf(b[i]));
    }
    out[last] = unitOf(kDigitBase - digitOf(b[last]));
    return 1;
}

}  // namespace kestrum::aserv::kernel
