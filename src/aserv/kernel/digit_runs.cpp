#include "digit_runs.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#include "digit_groups.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

void store(char16_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Bytes that are not digit units: nonzero there, zero in the others. Bytes packed from units
// above 0xFF (saturated to 0xFF) or at or above 0x8000 (saturated to 0) are no digits either.
__m128i outsideDigitBytes(__m128i bytes) {
    return _mm_subs_epu8(_mm_sub_epi8(bytes, _mm_set1_epi8('0')), _mm_set1_epi8(9));
}

bool noneOutside(__m128i outside) {
    return _mm_movemask_epi8(_mm_cmpeq_epi8(outside, _mm_setzero_si128())) == 0xFFFF;
}

#if defined(__x86_64__)

// Sixteen digits as one word of packed decimal (four bits a digit, the last digit in the low
// bits), so that a binary addition or subtraction of two such words carries or borrows from
// digit to digit by itself, once each digit is biased.
constexpr std::size_t kPackedDigits = 16;
constexpr std::uint64_t kSixes = 0x6666'6666'6666'6666ULL;
constexpr std::uint64_t kDigitBoundaries = 0x1111'1111'1111'1110ULL;  // bit 4k for k = 1..15
constexpr unsigned kTopDigitShift = 60;

// Thirty-two digits as two words of packed decimal.
constexpr std::size_t kPackedBlock = 2 * kPackedDigits;

struct PackedBlock {
    std::uint64_t high;  // the first 16 digits
    std::uint64_t low;   // the last 16
};

// The 16 units at p as the 16-bit values 16 u(2k) + u(2k + 1), digit pairs written in
// hexadecimal plus 0x330 (16 times u'0' plus u'0').
constexpr std::int16_t kUnitPairBias = 0x330;

__m128i unitPairs(const char16_t* p) {
    const __m128i weights = _mm_set1_epi32(0x0001'0010);  // 16 for the first unit, 1 for the second
    return _mm_packs_epi32(_mm_madd_epi16(load(p), weights),
                           _mm_madd_epi16(load(p + kLanes), weights));
}

// The 32 digit units at p (most significant first) as packed decimal.
PackedBlock loadPacked(const char16_t* p) {
    const __m128i bias = _mm_set1_epi16(kUnitPairBias);
    const __m128i bytes = _mm_packus_epi16(_mm_sub_epi16(unitPairs(p), bias),
                                           _mm_sub_epi16(unitPairs(p + 2 * kLanes), bias));
    // Byte-swapped, so that the first digits go to the top.
    return {__builtin_bswap64(static_cast<std::uint64_t>(_mm_cvtsi128_si64(bytes))),
            __builtin_bswap64(
                static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(bytes, bytes))))};
}

// Writes packed decimal as 32 digit units at p.
void storePacked(char16_t* p, PackedBlock block) {
    const __m128i bytes =
        _mm_unpacklo_epi64(_mm_cvtsi64_si128(static_cast<long long>(__builtin_bswap64(block.high))),
                           _mm_cvtsi64_si128(static_cast<long long>(__builtin_bswap64(block.low))));
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i tens = _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble);
    const __m128i ones = _mm_and_si128(bytes, nibble);
    const __m128i zero = _mm_setzero_si128();
    const __m128i unit = _mm_set1_epi16(u'0');
    const __m128i first = _mm_unpacklo_epi8(tens, ones);
    const __m128i second = _mm_unpackhi_epi8(tens, ones);
    store(p, _mm_or_si128(_mm_unpacklo_epi8(first, zero), unit));
    store(p + kLanes, _mm_or_si128(_mm_unpackhi_epi8(first, zero), unit));
    store(p + 2 * kLanes, _mm_or_si128(_mm_unpacklo_epi8(second, zero), unit));
    store(p + 3 * kLanes, _mm_or_si128(_mm_unpackhi_epi8(second, zero), unit));
}

// Sixes in the digits of `boundaries` (bit 4(k + 1) standing for digit k), and in the top digit
// when `top` is set.
std::uint64_t sixesAt(std::uint64_t boundaries, unsigned top) {
    return (boundaries >> 2) | (boundaries >> 3) | (std::uint64_t{top} * 6 << kTopDigitShift);
}

// x + y + carry on packed decimal: every digit of x biased by 6, so that a digit sum of 10 or
// more carries in binary; the digits that did not carry take the bias off again.
PackedBlock addPacked(PackedBlock x, PackedBlock y, unsigned& carry) {
    const std::uint64_t lowBiased = x.low + kSixes;  // at most 0xF in every digit: no carry out
    const std::uint64_t highBiased = x.high + kSixes;
    unsigned long long low = 0;
    unsigned long long high = 0;
    const unsigned middle =
        _addcarry_u64(static_cast<unsigned char>(carry), lowBiased, y.low, &low);
    const unsigned out =
        _addcarry_u64(static_cast<unsigned char>(middle), highBiased, y.high, &high);
    carry = out;
    // Bit 4(k + 1) of sum ^ x ^ y is the carry out of digit k.
    return {high - sixesAt(~(high ^ highBiased ^ y.high) & kDigitBoundaries, out ^ 1U),
            low - sixesAt(~(low ^ lowBiased ^ y.low) & kDigitBoundaries, middle ^ 1U)};
}

// x - y - borrow on packed decimal: the digits that borrowed hold 16 + x - y and lose 6.
PackedBlock subtractPacked(PackedBlock x, PackedBlock y, unsigned& borrow) {
    unsigned long long low = 0;
    unsigned long long high = 0;
    const unsigned middle = _subborrow_u64(static_cast<unsigned char>(borrow), x.low, y.low, &low);
    const unsigned out = _subborrow_u64(static_cast<unsigned char>(middle), x.high, y.high, &high);
    borrow = out;
    return {high - sixesAt((high ^ x.high ^ y.high) & kDigitBoundaries, out),
            low - sixesAt((low ^ x.low ^ y.low) & kDigitBoundaries, middle)};
}

#endif

#endif

}  // namespace

std::size_t leadingDigits(std::u16string_view text) {
    std::size_t start = 0;
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
#endif
    while (start < text.size() && isDigitUnit(text[start])) {
        ++start;
    }
    return start;
}

bool onlyDigits(std::u16string_view text) {
    std::size_t i = 0;
#if defined(__SSE2__)
    constexpr std::size_t kBlock = 4 * kLanes;
    __m128i outside = _mm_setzero_si128();
    for (; i + kBlock <= text.size(); i += kBlock) {
        const char16_t* p = text.data() + i;
        outside = _mm_or_si128(
            outside, _mm_or_si128(outsideDigitBytes(_mm_packus_epi16(load(p), load(p + kLanes))),
                                  outsideDigitBytes(_mm_packus_epi16(load(p + 2 * kLanes),
                                                                     load(p + 3 * kLanes)))));
    }
    if (!noneOutside(outside)) {
        return false;
    }
#endif
    for (; i < text.size(); ++i) {
        if (!isDigitUnit(text[i])) {
            return false;
        }
    }
    return true;
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
#endif
    while (i < a.size() && a[i] == b[i]) {
        ++i;
    }
    return i;
}

unsigned addRuns(char16_t* out, std::u16string_view a, std::u16string_view b, unsigned carry) {
    std::size_t n = a.size();
#if defined(__SSE2__) && defined(__x86_64__)
    for (; n >= kPackedBlock; n -= kPackedBlock) {
        const std::size_t at = n - kPackedBlock;
        storePacked(out + at,
                    addPacked(loadPacked(a.data() + at), loadPacked(b.data() + at), carry));
    }
#endif
    for (std::size_t i = n; i-- > 0;) {
        const unsigned sum = digitOf(a[i]) + digitOf(b[i]) + carry;
        carry = sum >= kDigitBase ? 1U : 0U;
        out[i] = unitOf(sum - carry * kDigitBase);
    }
    return carry;
}

unsigned subtractRuns(char16_t* out, std::u16string_view a, std::u16string_view b,
                      unsigned borrow) {
    std::size_t n = a.size();
#if defined(__SSE2__) && defined(__x86_64__)
    for (; n >= kPackedBlock; n -= kPackedBlock) {
        const std::size_t at = n - kPackedBlock;
        storePacked(out + at,
                    subtractPacked(loadPacked(a.data() + at), loadPacked(b.data() + at), borrow));
    }
#endif
    for (std::size_t i = n; i-- > 0;) {
        const unsigned difference = kDigitBase + digitOf(a[i]) - digitOf(b[i]) - borrow;
        borrow = difference < kDigitBase ? 1U : 0U;
        out[i] = unitOf(difference - (1 - borrow) * kDigitBase);
    }
    return borrow;
}

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
