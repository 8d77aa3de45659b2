#include "packed_runs.h"

#include "x86_vectors.h"

#if KESTRUM_X86_VECTORS
#include <immintrin.h>
#endif

#include <cstdint>

namespace kestrum::aserv::kernel::detail {

#if KESTRUM_X86_VECTORS

namespace {

constexpr std::size_t kLanes = 8;

// The 64-bit words that the block loops work on, moved to and from vector registers and added
// with a carry: one instruction each on x86-64; on 32-bit x86 through the low half of a vector
// and as two 32-bit additions.
#if defined(__x86_64__)

std::uint64_t lowWordOf(__m128i v) {
    return static_cast<std::uint64_t>(_mm_cvtsi128_si64(v));
}

__m128i vectorOf(std::uint64_t w) {
    return _mm_cvtsi64_si128(static_cast<long long>(w));
}

[[gnu::always_inline]] inline unsigned char addWithCarryOut(unsigned char carry, std::uint64_t x,
                                                            std::uint64_t y, std::uint64_t& sum) {
    unsigned long long out = 0;
    carry = _addcarry_u64(carry, x, y, &out);
    sum = out;
    return carry;
}

[[gnu::always_inline]] inline unsigned char subtractWithBorrowOut(unsigned char borrow,
                                                                  std::uint64_t x, std::uint64_t y,
                                                                  std::uint64_t& difference) {
    unsigned long long out = 0;
    borrow = _subborrow_u64(borrow, x, y, &out);
    difference = out;
    return borrow;
}

#else

std::uint64_t lowWordOf(__m128i v) {
    std::uint64_t w = 0;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&w), v);
    return w;
}

__m128i vectorOf(std::uint64_t w) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&w));
}

constexpr unsigned kHalfWordBits = 32;

[[gnu::always_inline]] inline unsigned char addWithCarryOut(unsigned char carry, std::uint64_t x,
                                                            std::uint64_t y, std::uint64_t& sum) {
    unsigned low = 0;
    unsigned high = 0;
    carry = _addcarry_u32(carry, static_cast<unsigned>(x), static_cast<unsigned>(y), &low);
    carry = _addcarry_u32(carry, static_cast<unsigned>(x >> kHalfWordBits),
                          static_cast<unsigned>(y >> kHalfWordBits), &high);
    sum = (std::uint64_t{high} << kHalfWordBits) | low;
    return carry;
}

[[gnu::always_inline]] inline unsigned char subtractWithBorrowOut(unsigned char borrow,
                                                                  std::uint64_t x, std::uint64_t y,
                                                                  std::uint64_t& difference) {
    unsigned low = 0;
    unsigned high = 0;
    borrow = _subborrow_u32(borrow, static_cast<unsigned>(x), static_cast<unsigned>(y), &low);
    borrow = _subborrow_u32(borrow, static_cast<unsigned>(x >> kHalfWordBits),
                            static_cast<unsigned>(y >> kHalfWordBits), &high);
    difference = (std::uint64_t{high} << kHalfWordBits) | low;
    return borrow;
}

#endif

__m128i load(const char16_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

void store(char16_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Sixteen digits as one word of packed decimal (four bits a digit, the last digit in the low
// bits), so that a binary addition or subtraction of two such words carries or borrows from
// digit to digit by itself, once each digit is biased.
constexpr std::size_t kPackedDigits = 16;
constexpr std::uint64_t kSixes = 0x6666'6666'6666'6666ULL;
constexpr std::uint64_t kDigitBoundaries = 0x1111'1111'1111'1110ULL;  // bit 4k for k = 1..15
constexpr unsigned kTopDigitShift = 60;

// Thirty-two digits as two words of packed decimal.
constexpr std::size_t kPackedBlock = 2 * kPackedDigits;
static_assert(kPackedBlock == kSmallestDigitBlock);

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
    return {__builtin_bswap64(lowWordOf(bytes)),
            __builtin_bswap64(lowWordOf(_mm_unpackhi_epi64(bytes, bytes)))};
}

// Writes packed decimal as 32 digit units at p.
void storePacked(char16_t* p, PackedBlock block) {
    const __m128i bytes = _mm_unpacklo_epi64(vectorOf(__builtin_bswap64(block.high)),
                                             vectorOf(__builtin_bswap64(block.low)));
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
[[gnu::always_inline]] inline std::uint64_t sixesAt(std::uint64_t boundaries, unsigned top) {
    return (boundaries >> 2) | (boundaries >> 3) | (std::uint64_t{top} * 6 << kTopDigitShift);
}

// x + y + carry on packed decimal: every digit of x biased by 6, so that a digit sum of 10 or
// more carries in binary; the digits that did not carry take the bias off again.
[[gnu::always_inline]] inline PackedBlock addPacked(PackedBlock x, PackedBlock y, unsigned& carry) {
    const std::uint64_t lowBiased = x.low + kSixes;  // at most 0xF in every digit: no carry out
    const std::uint64_t highBiased = x.high + kSixes;
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    const unsigned middle =
        addWithCarryOut(static_cast<unsigned char>(carry), lowBiased, y.low, low);
    const unsigned out =
        addWithCarryOut(static_cast<unsigned char>(middle), highBiased, y.high, high);
    carry = out;
    // Bit 4(k + 1) of sum ^ x ^ y is the carry out of digit k.
    return {high - sixesAt(~(high ^ highBiased ^ y.high) & kDigitBoundaries, out ^ 1U),
            low - sixesAt(~(low ^ lowBiased ^ y.low) & kDigitBoundaries, middle ^ 1U)};
}

// x - y - borrow on packed decimal: the digits that borrowed hold 16 + x - y and lose 6.
[[gnu::always_inline]] inline PackedBlock subtractPacked(PackedBlock x, PackedBlock y,
                                                         unsigned& borrow) {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    const unsigned middle =
        subtractWithBorrowOut(static_cast<unsigned char>(borrow), x.low, y.low, low);
    const unsigned out =
        subtractWithBorrowOut(static_cast<unsigned char>(middle), x.high, y.high, high);
    borrow = out;
    return {high - sixesAt((high ^ x.high ^ y.high) & kDigitBoundaries, out),
            low - sixesAt((low ^ x.low ^ y.low) & kDigitBoundaries, middle)};
}

// The AVX2 forms read and write 64 digits, two blocks, at a time.
constexpr std::size_t kWideBlock = 2 * kPackedBlock;
static_assert(kWideBlock == kSmallestScanBlock);

struct PackedPair {
    PackedBlock first;   // the first 32 digits
    PackedBlock second;  // the last 32
};

[[gnu::target("avx2")]] __m256i loadWide(const char16_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

[[gnu::target("avx2")]] __m256i unitPairsWide(const char16_t* p) {
    const __m256i weights = _mm256_set1_epi32(0x0001'0010);
    return _mm256_madd_epi16(loadWide(p), weights);
}

// The word of the 16 digits in one half of a 128-bit lane of bytes, byte-swapped so that the
// first digits go to the top.
[[gnu::target("avx2")]] std::uint64_t frontWord(__m128i bytes) {
    return __builtin_bswap64(lowWordOf(bytes));
}

[[gnu::target("avx2")]] std::uint64_t backWord(__m128i bytes) {
#if defined(__x86_64__)
    return __builtin_bswap64(static_cast<std::uint64_t>(_mm_extract_epi64(bytes, 1)));
#else
    return __builtin_bswap64(lowWordOf(_mm_unpackhi_epi64(bytes, bytes)));
#endif
}

[[gnu::target("avx2")]] PackedPair loadPackedPair(const char16_t* p) {
    const __m256i bias = _mm256_set1_epi16(kUnitPairBias);
    // The packs work within 128-bit halves: the dwords (four digit pairs each) come out in the
    // order 0 2 4 6 | 1 3 5 7, which the permutation puts right.
    const __m256i low =
        _mm256_sub_epi16(_mm256_packs_epi32(unitPairsWide(p), unitPairsWide(p + 2 * kLanes)), bias);
    const __m256i high = _mm256_sub_epi16(
        _mm256_packs_epi32(unitPairsWide(p + 4 * kLanes), unitPairsWide(p + 6 * kLanes)), bias);
    const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(low, high),
                                                      _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
    const __m128i front = _mm256_castsi256_si128(bytes);
    const __m128i back = _mm256_extracti128_si256(bytes, 1);
    return {{frontWord(front), backWord(front)}, {frontWord(back), backWord(back)}};
}

// The two words of a block as the bytes of a 128-bit lane, first digits first.
[[gnu::target("avx2")]] __m128i blockBytes(PackedBlock block) {
#if defined(__x86_64__)
    return _mm_insert_epi64(vectorOf(__builtin_bswap64(block.high)),
                            static_cast<long long>(__builtin_bswap64(block.low)), 1);
#else
    return _mm_unpacklo_epi64(vectorOf(__builtin_bswap64(block.high)),
                              vectorOf(__builtin_bswap64(block.low)));
#endif
}

// Sixteen digits given as bytes written as units at p.
[[gnu::target("avx2")]] void storeDigitBytes(char16_t* p, __m128i digits) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p),
                        _mm256_or_si256(_mm256_cvtepu8_epi16(digits), _mm256_set1_epi16(u'0')));
}

[[gnu::target("avx2")]] void storePackedPair(char16_t* p, PackedPair pair) {
    const __m256i bytes = _mm256_inserti128_si256(_mm256_castsi128_si256(blockBytes(pair.first)),
                                                  blockBytes(pair.second), 1);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i tens = _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble);
    const __m256i ones = _mm256_and_si256(bytes, nibble);
    // Within each half: the first 16 digits of its 32, then the last 16.
    const __m256i early = _mm256_unpacklo_epi8(tens, ones);
    const __m256i late = _mm256_unpackhi_epi8(tens, ones);
    storeDigitBytes(p, _mm256_castsi256_si128(early));
    storeDigitBytes(p + 2 * kLanes, _mm256_castsi256_si128(late));
    storeDigitBytes(p + 4 * kLanes, _mm256_extracti128_si256(early, 1));
    storeDigitBytes(p + 6 * kLanes, _mm256_extracti128_si256(late, 1));
}

// The operations as types, so that the block loops inline them.
struct AddPacked {
    PackedBlock operator()(PackedBlock x, PackedBlock y, unsigned& carry) const {
        return addPacked(x, y, carry);
    }
};

struct SubtractPacked {
    PackedBlock operator()(PackedBlock x, PackedBlock y, unsigned& borrow) const {
        return subtractPacked(x, y, borrow);
    }
};

// The block loops, from the end of the runs: `combine` is AddPacked or SubtractPacked.
template <class Combine>
std::size_t sse2Blocks(char16_t* out, const char16_t* a, const char16_t* b, std::size_t n,
                       unsigned& carry, Combine combine) {
    for (; n >= kPackedBlock; n -= kPackedBlock) {
        const std::size_t at = n - kPackedBlock;
        storePacked(out + at, combine(loadPacked(a + at), loadPacked(b + at), carry));
    }
    return n;
}

template <class Combine>
[[gnu::target("avx2")]] std::size_t avx2Blocks(char16_t* out, const char16_t* a, const char16_t* b,
                                               std::size_t n, unsigned& carry, Combine combine) {
    for (; n >= kWideBlock; n -= kWideBlock) {
        const std::size_t at = n - kWideBlock;
        const PackedPair x = loadPackedPair(a + at);
        const PackedPair y = loadPackedPair(b + at);
        const PackedBlock second = combine(x.second, y.second, carry);
        storePackedPair(out + at, {combine(x.first, y.first, carry), second});
    }
    // The SSE2 code that follows, here and in the caller, would run slowly with the upper halves
    // of the vector registers still in use.
    _mm256_zeroupper();
    return sse2Blocks(out, a, b, n, carry, combine);
}

template <class Combine>
std::size_t blocks(RunsVariant variant, char16_t* out, const char16_t* a, const char16_t* b,
                   std::size_t n, unsigned& carry, Combine combine) {
    switch (variant) {
        case RunsVariant::kSse2:
            return sse2Blocks(out, a, b, n, carry, combine);
        case RunsVariant::kAvx2:
            return avx2Blocks(out, a, b, n, carry, combine);
        case RunsVariant::kDigitByDigit:
            break;
    }
    return n;
}

[[gnu::target("avx2")]] std::size_t avx2DigitBlocks(const char16_t* text, std::size_t n) {
    std::size_t start = 0;
    for (; start + kWideBlock <= n; start += kWideBlock) {
        const char16_t* p = text + start;
        // Units above 0xFF saturate to 0xFF and units at or above 0x8000 to 0: no digits either.
        const __m256i front = _mm256_packus_epi16(loadWide(p), loadWide(p + 2 * kLanes));
        const __m256i back =
            _mm256_packus_epi16(loadWide(p + 4 * kLanes), loadWide(p + 6 * kLanes));
        const __m256i zero = _mm256_set1_epi8('0');
        const __m256i nine = _mm256_set1_epi8(9);
        const __m256i outside =
            _mm256_or_si256(_mm256_subs_epu8(_mm256_sub_epi8(front, zero), nine),
                            _mm256_subs_epu8(_mm256_sub_epi8(back, zero), nine));
        if (_mm256_testz_si256(outside, outside) == 0) {
            break;
        }
    }
    return start;
}

}  // namespace

std::size_t leadingDigitBlocks(RunsVariant variant, const char16_t* text, std::size_t n) {
    return variant == RunsVariant::kAvx2 ? avx2DigitBlocks(text, n) : 0;
}

bool runsVariantAvailable(RunsVariant variant) {
    return variant != RunsVariant::kAvx2 || __builtin_cpu_supports("avx2");
}

RunsVariant fastestRunsVariant() {
    static const RunsVariant fastest =
        runsVariantAvailable(RunsVariant::kAvx2) ? RunsVariant::kAvx2 : RunsVariant::kSse2;
    return fastest;
}

std::size_t addPackedBlocks(RunsVariant variant, char16_t* out, const char16_t* a,
                            const char16_t* b, std::size_t n, unsigned& carry) {
    return blocks(variant, out, a, b, n, carry, AddPacked{});
}

std::size_t subtractPackedBlocks(RunsVariant variant, char16_t* out, const char16_t* a,
                                 const char16_t* b, std::size_t n, unsigned& borrow) {
    return blocks(variant, out, a, b, n, borrow, SubtractPacked{});
}

#else

bool runsVariantAvailable(RunsVariant variant) {
    return variant == RunsVariant::kDigitByDigit;
}

RunsVariant fastestRunsVariant() {
    return RunsVariant::kDigitByDigit;
}

std::size_t addPackedBlocks(RunsVariant /*variant*/, char16_t* /*out*/, const char16_t* /*a*/,
                            const char16_t* /*b*/, std::size_t n, unsigned& /*carry*/) {
    return n;
}

std::size_t subtractPackedBlocks(RunsVariant /*variant*/, char16_t* /*out*/, const char16_t* /*a*/,
                                 const char16_t* /*b*/, std::size_t n, unsigned& /*borrow*/) {
    return n;
}

std::size_t leadingDigitBlocks(RunsVariant /*variant*/, const char16_t* /*text*/,
                               std::size_t /*n*/) {
    return 0;
}

#endif

}  // namespace kestrum::aserv::kernel::detail
