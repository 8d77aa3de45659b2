#include "digit_runs.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#include "digit_groups.h"

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

// Lanes that are not digits: nonzero there, zero in the others.
__m128i outsideDigits(__m128i units) {
    return _mm_subs_epu16(_mm_sub_epi16(units, _mm_set1_epi16(u'0')), _mm_set1_epi16(9));
}

// Every byte value with its bits in reverse order.
constexpr std::array<std::uint8_t, 256> kReversedBits = [] {
    std::array<std::uint8_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        unsigned reversed = 0;
        for (unsigned bit = 0; bit < 8; ++bit) {
            reversed |= ((value >> bit) & 1U) << (7 - bit);
        }
        table[value] = static_cast<std::uint8_t>(reversed);
    }
    return table;
}();

struct alignas(16) Lanes {
    std::array<std::uint16_t, kLanes> value;
};

// For a mask with bit k for the lane k places before the last one: 1 in the lanes whose bit is
// set, 0 in the others.
constexpr std::array<Lanes, 256> kLaneBits = [] {
    std::array<Lanes, 256> table{};
    for (unsigned mask = 0; mask < 256; ++mask) {
        for (unsigned lane = 0; lane < kLanes; ++lane) {
            table[mask].value[lane] = static_cast<std::uint16_t>((mask >> (7 - lane)) & 1U);
        }
    }
    return table;
}();

struct BlockCarries {
    __m128i into;  // the carry into each lane, 0 or 1
    unsigned out;  // the carry out of the first lane
};

// The carries inside a block of eight digit positions, lane 0 the most significant: a lane
// passes a carry on when it generates one, or when it propagates one and receives one. With the
// bits reversed, so that bit 0 stands for the last lane, these are the carries of a binary
// addition whose addends share the generating bits and differ in the propagating ones; the carry
// into each bit is then its sum bit with the propagating bit taken out.
BlockCarries settle(__m128i generates, __m128i propagates, unsigned carry) {
    const auto masks =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(generates, propagates)));
    const unsigned generate = kReversedBits[masks & 0xFFU];
    const unsigned propagate = kReversedBits[masks >> 8];
    const unsigned sum = (generate | propagate) + generate + carry;
    const Lanes& into = kLaneBits[(sum ^ propagate) & 0xFFU];
    return {_mm_load_si128(reinterpret_cast<const __m128i*>(into.value.data())), sum >> 8};
}

#endif

}  // namespace

std::size_t leadingDigits(std::u16string_view text) {
    std::size_t start = 0;
#if defined(__SSE2__)
    constexpr std::size_t kBlock = 4 * kLanes;
    for (; start + kBlock <= text.size(); start += kBlock) {
        const char16_t* p = text.data() + start;
        const __m128i outside = _mm_or_si128(
            _mm_or_si128(outsideDigits(load(p)), outsideDigits(load(p + kLanes))),
            _mm_or_si128(outsideDigits(load(p + 2 * kLanes)), outsideDigits(load(p + 3 * kLanes))));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(outside, _mm_setzero_si128())) != 0xFFFF) {
            break;
        }
    }
#endif
    while (start < text.size() && isDigitUnit(text[start])) {
        ++start;
    }
    return start;
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
#if defined(__SSE2__)
    const __m128i zero = _mm_set1_epi16(u'0');
    const __m128i nine = _mm_set1_epi16(u'9');
    const __m128i ten = _mm_set1_epi16(10);
    for (; n >= kLanes; n -= kLanes) {
        const std::size_t at = n - kLanes;
        // u'0' plus the digit sum, from u'0' to u'0' + 18.
        const __m128i sum =
            _mm_sub_epi16(_mm_add_epi16(load(a.data() + at), load(b.data() + at)), zero);
        const BlockCarries carries =
            settle(_mm_cmpgt_epi16(sum, nine), _mm_cmpeq_epi16(sum, nine), carry);
        const __m128i total = _mm_add_epi16(sum, carries.into);
        store(out + at, _mm_sub_epi16(total, _mm_and_si128(_mm_cmpgt_epi16(total, nine), ten)));
        carry = carries.out;
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
#if defined(__SSE2__)
    const __m128i zero = _mm_set1_epi16(u'0');
    const __m128i ten = _mm_set1_epi16(10);
    for (; n >= kLanes; n -= kLanes) {
        const std::size_t at = n - kLanes;
        const __m128i x = load(a.data() + at);
        const __m128i y = load(b.data() + at);
        const BlockCarries borrows = settle(_mm_cmpgt_epi16(y, x), _mm_cmpeq_epi16(x, y), borrow);
        // u'0' plus the digit difference less the borrow, from u'0' - 10 to u'9'.
        const __m128i difference =
            _mm_sub_epi16(_mm_add_epi16(_mm_sub_epi16(x, y), zero), borrows.into);
        store(out + at,
              _mm_add_epi16(difference, _mm_and_si128(_mm_cmpgt_epi16(zero, difference), ten)));
        borrow = borrows.out;
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
