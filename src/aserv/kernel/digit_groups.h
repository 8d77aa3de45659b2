// One group of 18 digits <-> one limb, inline so that loops over limbs keep their constants in
// registers. Builds with SSE2 parse and write the digits in 16-bit vector lanes; the others use
// multiplications on packed 64-bit words.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "limb.h"

namespace kestrum::aserv::kernel::detail {
namespace groups {

static_assert(std::endian::native == std::endian::little, "digit packing assumes little endian");

inline constexpr std::uint64_t kZeros4 = 0x0030'0030'0030'0030ULL;

inline std::uint64_t load4(const char16_t* p) {
    std::uint64_t x = 0;
    std::memcpy(&x, p, sizeof x);
    return x;
}

#if defined(__SSE2__)

// Sixteen digits with two multiply-add steps on 16-bit lanes: the digit pairs, then the
// four-digit groups, then both eight-digit halves together; one scalar product joins the halves.
inline std::uint64_t parse16(const char16_t* p) {
    const __m128i zeros = _mm_set1_epi16(u'0');
    const __m128i high = _mm_sub_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), zeros);
    const __m128i low =
        _mm_sub_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8)), zeros);
    const __m128i tens = _mm_set1_epi32(0x0001'000A);
    const __m128i pairs = _mm_packs_epi32(_mm_madd_epi16(high, tens), _mm_madd_epi16(low, tens));
    const __m128i fours = _mm_madd_epi16(pairs, _mm_set1_epi32(0x0001'0064));
    const __m128i eights =
        _mm_madd_epi16(_mm_packs_epi32(fours, fours), _mm_set1_epi32(0x0001'2710));
    const auto high8 = static_cast<std::uint32_t>(_mm_cvtsi128_si32(eights));
    const auto low8 = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_epi64(eights, 32)));
    return std::uint64_t{high8} * 100'000'000 + low8;
}

#else

// Four digit code units, most significant first, with 16 bits each: lanes 0 and 2 get the
// values of the two pairs.
inline std::uint64_t pairs4(const char16_t* p) {
    const std::uint64_t x = load4(p) - kZeros4;
    return (x * 10 + (x >> 16)) & 0x0000'FFFF'0000'FFFFULL;
}

// Eight digits as two four-digit values in the 16-bit lanes 0 (leading) and 1: the pairs of
// both halves interleaved, then combined in one multiplication.
inline std::uint64_t fours8(const char16_t* p) {
    const std::uint64_t x = pairs4(p) | (pairs4(p + 4) << 16);
    return (x * 100 + (x >> 32)) & 0xFFFF'FFFFULL;
}

// Sixteen digits: both eight-digit values formed together in 32-bit lanes.
inline std::uint64_t parse16(const char16_t* p) {
    constexpr std::uint64_t kLow16 = 0x0000'FFFF'0000'FFFFULL;
    const std::uint64_t x = fours8(p) | (fours8(p + 8) << 32);
    const std::uint64_t y = (x & kLow16) * 10'000 + ((x >> 16) & kLow16);
    return (y & 0xFFFF'FFFFULL) * 100'000'000 + (y >> 32);
}

#endif

inline constexpr std::array<char16_t, 200> kPairs = [] {
    std::array<char16_t, 200> t{};
    for (std::size_t i = 0; i < 100; ++i) {
        t[2 * i] = static_cast<char16_t>(u'0' + i / 10);
        t[2 * i + 1] = static_cast<char16_t>(u'0' + i % 10);
    }
    return t;
}();

inline void write2(char16_t* out, std::uint32_t v) {
    // v < 100. The index stays a 32-bit product: the 64-bit form compiled to code that measured a
    // fifth slower in short point additions.
    std::memcpy(out, &kPairs[2 * v], 2 * sizeof(char16_t));  // NOLINT(*-implicit-widening-*)
}

#if defined(__SSE2__)

// The four digits of each 16-bit value w < 10^4 in the lanes of one 64-bit half, most significant
// first. Lane k gets floor(w / 10^(3-k)) as ((4w * m_k) >> 16) * s_k >> 16, with m_k / 2^(16 +
// 2 + log2(2^16 / s_k)) just above 10^-(3-k) (the error stays below the gap to the next integer
// for every w < 10^4); then each lane less ten times its left neighbour is one digit.
inline __m128i digitsOf4(__m128i w) {
    const __m128i scale = _mm_set_epi16(-32768, 13108, 5243, 8389, -32768, 13108, 5243, 8389);
    const __m128i shift = _mm_set_epi16(-32768, 8192, 2048, 128, -32768, 8192, 2048, 128);
    const __m128i prefixes = _mm_mulhi_epu16(_mm_mulhi_epu16(_mm_slli_epi16(w, 2), scale), shift);
    const __m128i tens = _mm_slli_epi64(_mm_mullo_epi16(prefixes, _mm_set1_epi16(10)), 16);
    return _mm_add_epi16(_mm_sub_epi16(prefixes, tens), _mm_set1_epi16(u'0'));
}

// Sixteen digits of two values below 10^8: both are split into four-digit halves at once
// (floor(x / 10^4) as x * ceil(2^45 / 10^4) >> 45), each half spread over four 16-bit lanes.
inline void write16(char16_t* out, std::uint32_t high, std::uint32_t low) {
    const __m128i x = _mm_set_epi32(0, static_cast<int>(low), 0, static_cast<int>(high));
    const __m128i q = _mm_srli_epi64(_mm_mul_epu32(x, _mm_set1_epi32(-776530087)), 45);
    const __m128i r = _mm_sub_epi32(x, _mm_mul_epu32(q, _mm_set1_epi32(10'000)));
    const __m128i halves = _mm_or_si128(q, _mm_slli_epi64(r, 32));
    const __m128i packed = _mm_packs_epi32(halves, halves);
    const __m128i pairs = _mm_unpacklo_epi16(packed, packed);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), digitsOf4(_mm_unpacklo_epi32(pairs, pairs)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8),
                     digitsOf4(_mm_unpackhi_epi32(pairs, pairs)));
}

#else

// Eight digits of v < 10^8, two at a time: v / 10^6 as a fraction with 57 bits, each pair taken
// from the integer part and the fraction multiplied by 100 (exact for every v < 10^8).
inline void write8(char16_t* out, std::uint64_t v) {
    constexpr std::uint64_t kScale = (std::uint64_t{1} << 57) / 1'000'000 + 1;
    constexpr std::uint64_t kFraction = (std::uint64_t{1} << 57) - 1;
    std::uint64_t t = v * kScale;
    for (std::size_t i = 0; i < 8; i += 2) {
        write2(out + i, static_cast<std::uint32_t>(t >> 57));
        t = (t & kFraction) * 100;
    }
}

#endif

}  // namespace groups

// The value of the 18 digits at p.
inline Limb parseLimb(const char16_t* p) {
    return groups::parse16(p) * 100 + static_cast<Limb>(p[16] - u'0') * 10 +
           static_cast<Limb>(p[17] - u'0');
}

// Writes the 18 digits given as the top two, then two groups of eight.
inline void writeGroups(char16_t* out, std::uint32_t top, std::uint32_t middle, std::uint32_t low) {
    groups::write2(out, top);
#if defined(__SSE2__)
    groups::write16(out + 2, middle, low);
#else
    groups::write8(out + 2, middle);
    groups::write8(out + 10, low);
#endif
}

// Writes halves.high * 10^9 + halves.low as exactly 18 digits, with leading zeros.
inline void formatHalves(char16_t* out, LimbHalves halves) {
    const std::uint32_t top = halves.high / 10'000'000;
    const std::uint32_t lowLead = halves.low / 100'000'000;
    writeGroups(out, top, (halves.high - top * 10'000'000) * 10 + lowLead,
                halves.low - lowLead * 100'000'000);
}

// Writes v < 10^18 as exactly 18 digits, with leading zeros. Builds with narrow words take the
// groups from v's halves by 10^9.
inline void formatLimb(char16_t* out, Limb v) {
    if constexpr (kNarrowWords) {
        formatHalves(out, cutHalves(v));
    } else {
        const Limb high = v / 100'000'000;
        const auto top = static_cast<std::uint32_t>(high / 100'000'000);
        writeGroups(out, top, static_cast<std::uint32_t>(high - Limb{top} * 100'000'000),
                    static_cast<std::uint32_t>(v - high * 100'000'000));
    }
}

}  // namespace kestrum::aserv::kernel::detail
