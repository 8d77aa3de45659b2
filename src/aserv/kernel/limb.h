// Decimal limbs: base 10^18 in 64-bit words, least significant limb first, and the double-word
// helpers the kernels build on. Builds with unsigned __int128 use it; other builds (32-bit
// targets) get a portable pair of words with the same interface.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace kestrum::aserv::kernel::detail {

using Limb = std::uint64_t;

inline constexpr std::size_t kLimbDigits = 18;
inline constexpr Limb kBase = 1'000'000'000'000'000'000ULL;

// The shorter limbs that the two-prime transform works on: 16 digits, base 10^16.
inline constexpr std::size_t kShortLimbDigits = 16;
inline constexpr Limb kShortBase = 10'000'000'000'000'000ULL;

#if defined(__SIZEOF_INT128__)

__extension__ typedef unsigned __int128 Wide;

constexpr Wide makeWide(std::uint64_t hi, std::uint64_t lo) {
    return (static_cast<Wide>(hi) << 64) | lo;
}
constexpr std::uint64_t highWord(Wide w) {
    return static_cast<std::uint64_t>(w >> 64);
}
constexpr std::uint64_t lowWord(Wide w) {
    return static_cast<std::uint64_t>(w);
}
constexpr Wide mulWide(std::uint64_t a, std::uint64_t b) {
    return static_cast<Wide>(a) * b;
}

#else

struct Wide {
    std::uint64_t hi = 0;
    std::uint64_t lo = 0;

    constexpr Wide() = default;
    constexpr Wide(std::uint64_t low) : lo(low) {}  // NOLINT: mirrors the built-in conversion
    constexpr Wide(std::uint64_t high, std::uint64_t low) : hi(high), lo(low) {}

    constexpr Wide& operator+=(Wide o) {
        lo += o.lo;
        hi += o.hi + (lo < o.lo ? 1U : 0U);
        return *this;
    }
    friend constexpr Wide operator+(Wide a, Wide b) { return a += b; }
    friend constexpr bool operator==(Wide a, Wide b) { return a.hi == b.hi && a.lo == b.lo; }
    friend constexpr bool operator<(Wide a, Wide b) {
        return a.hi != b.hi ? a.hi < b.hi : a.lo < b.lo;
    }
    friend constexpr bool operator>(Wide a, Wide b) { return b < a; }
};

constexpr Wide makeWide(std::uint64_t hi, std::uint64_t lo) {
    return Wide{hi, lo};
}
constexpr std::uint64_t highWord(Wide w) {
    return w.hi;
}
constexpr std::uint64_t lowWord(Wide w) {
    return w.lo;
}
constexpr Wide mulWide(std::uint64_t a, std::uint64_t b) {
    constexpr std::uint64_t kMask = 0xFFFF'FFFFULL;
    const std::uint64_t p00 = (a & kMask) * (b & kMask);
    const std::uint64_t p01 = (a & kMask) * (b >> 32);
    const std::uint64_t p10 = (a >> 32) * (b & kMask);
    const std::uint64_t p11 = (a >> 32) * (b >> 32);
    const std::uint64_t mid = (p00 >> 32) + (p01 & kMask) + (p10 & kMask);
    return Wide{p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32), (mid << 32) | (p00 & kMask)};
}

#endif

// Division of a double word by a fixed single word with a precomputed reciprocal (the
// normalised divisor and its inverse floor((2^128 - 1) / d) - 2^64, after Moller and Granlund).
class Divisor {
  public:
    constexpr explicit Divisor(std::uint64_t d) : d_(d), shift_(std::countl_zero(d)) {
        norm_ = d << shift_;
#if defined(__SIZEOF_INT128__)
        if (!std::is_constant_evaluated()) {
            inverse_ = lowWord(makeWide(~norm_, ~std::uint64_t{0}) / norm_);
            return;
        }
#elif defined(__i386__)
        if (!std::is_constant_evaluated()) {
            inverse_ = inverseByWords(norm_);
            return;
        }
#endif
        inverse_ = slowQuotient(~norm_, ~std::uint64_t{0}, norm_);
    }

    [[nodiscard]] constexpr std::uint64_t value() const {
        return d_;
    }

    // (hi * 2^64 + lo) / d, remainder in rem; requires hi < d.
    constexpr std::uint64_t divide(std::uint64_t hi, std::uint64_t lo, std::uint64_t& rem) const {
        std::uint64_t u1 = hi;
        std::uint64_t u0 = lo;
        if (shift_ != 0) {
            u1 = (hi << shift_) | (lo >> (64 - shift_));
            u0 = lo << shift_;
        }
        const std::uint64_t q = divideScaled(u1, u0, rem);
        rem >>= shift_;
        return q;
    }

    // The same division with dividend and remainder scaled by 2^shift(): (u1 * 2^64 + u0) / (d
    // * 2^shift()) for u1 < d * 2^shift(). Chains of divisions can stay in the scaled form.
    constexpr std::uint64_t divideScaled(std::uint64_t u1, std::uint64_t u0,
                                         std::uint64_t& rem) const {
        const Wide q = mulWide(inverse_, u1) + makeWide(u1 + 1, u0);
        std::uint64_t q1 = highWord(q);
        std::uint64_t r = u0 - q1 * norm_;
        if (r > lowWord(q)) {
            --q1;
            r += norm_;
        }
        if (r >= norm_) {
            ++q1;
            r -= norm_;
        }
        rem = r;
        return q1;
    }

    [[nodiscard]] constexpr int shift() const {
        return shift_;
    }

    // floor((2^128 - 1) / (d * 2^shift())) - 2^64.
    [[nodiscard]] constexpr std::uint64_t inverse() const {
        return inverse_;
    }

  private:
#if !defined(__SIZEOF_INT128__) && defined(__i386__)
    // The inverse of a normalised n on 32-bit x86: (~n * 2^64 + 2^64 - 1) / n in two quotient
    // digits of 32 bits, each from one divl and Knuth's test against n's low word, which with
    // a divisor of two digits makes the digit exact. Run-time divisors (each long division's
    // top limb, each divisor of a short division) take this instead of the bit-by-bit loop,
    // which took about a third of a division of 100 by 50 digits.
    static std::uint64_t inverseByWords(std::uint64_t n) {
        std::uint64_t rem = ~n;
        const std::uint64_t high = quotientDigit(rem, n);
        return (high << 32) | quotientDigit(rem, n);
    }

    // (rem * 2^32 + 2^32 - 1) / n for rem < n; rem becomes the remainder.
    static std::uint64_t quotientDigit(std::uint64_t& rem, std::uint64_t n) {
        constexpr std::uint64_t kDigit = std::uint64_t{1} << 32;
        constexpr std::uint32_t kNext = 0xFFFF'FFFF;
        const auto n1 = static_cast<std::uint32_t>(n >> 32);
        const auto n0 = static_cast<std::uint32_t>(n);
        const auto r1 = static_cast<std::uint32_t>(rem >> 32);
        const auto r0 = static_cast<std::uint32_t>(rem);
        std::uint64_t q = kNext;
        std::uint64_t r = std::uint64_t{r0} + n1;  // r1 == n1: rem * 2^32 / n1 is at least 2^32
        if (r1 < n1) {
            std::uint32_t digit = 0;
            std::uint32_t left = 0;
            asm("divl %4" : "=a"(digit), "=d"(left) : "a"(r0), "d"(r1), "rm"(n1) : "cc");
            q = digit;
            r = left;
        }
        while (r < kDigit && q * n0 > ((r << 32) | kNext)) {
            --q;
            r += n1;
        }
        rem = ((rem << 32) | kNext) - q * n;  // below n, so exact modulo 2^64
        return q;
    }
#endif

    // Bit-by-bit quotient of (hi * 2^64 + lo) / d for hi < d; only used to set up the inverse.
    static constexpr std::uint64_t slowQuotient(std::uint64_t hi, std::uint64_t lo,
                                                std::uint64_t d) {
        std::uint64_t q = 0;
        for (int i = 0; i < 64; ++i) {
            const bool top = (hi >> 63) != 0;
            hi = (hi << 1) | (lo >> 63);
            lo <<= 1;
            q <<= 1;
            if (top || hi >= d) {
                hi -= d;
                q |= 1;
            }
        }
        return q;
    }

    std::uint64_t d_;
    int shift_;
    std::uint64_t norm_ = 0;
    std::uint64_t inverse_ = 0;
};

inline constexpr Divisor kBaseDivisor{kBase};

// Whether the machine words are narrower than limbs (32-bit targets): a division of a limb by a
// constant is then a call to a library routine rather than a multiplication, and the loops over
// limbs cut them with cutHalves instead.
inline constexpr bool kNarrowWords = sizeof(std::uintptr_t) < sizeof(Limb);

// Limbs cut into halves below 10^9, with quotients by 10^9 from 32-bit products alone: the
// vector schoolbooks (vector_school.h) in every lane, and the digit writers of 32-bit builds.
inline constexpr Limb kHalfBase = 1'000'000'000;

// floor(2^61 / 10^9): for h < 2^32, (h * kInverseOfHalfBase) >> (61 - e) is at most h * 2^e / 10^9
// and less than one below it.
inline constexpr long long kInverseOfHalfBase = 2'305'843'009;

// ceil(2^50 / 5^9): for x < 2^38, ((x >> 9) * kExactInverse) >> 50 is x / 10^9, as x / 10^9 =
// (x / 2^9) / 5^9 and the product's error stays below 2^50 / 5^9 for x >> 9 < 2^29.
inline constexpr long long kExactInverse = 576'460'753;

// (hi * 2^32 + lo) / d for hi < d, the remainder in rem: one divl on 32-bit x86.
inline std::uint32_t divideWord(std::uint32_t hi, std::uint32_t lo, std::uint32_t d,
                                std::uint32_t& rem) {
#if defined(__i386__)
    std::uint32_t quotient = 0;
    asm("divl %4" : "=a"(quotient), "=d"(rem) : "a"(lo), "d"(hi), "rm"(d) : "cc");
    return quotient;
#else
    const std::uint64_t n = (std::uint64_t{hi} << 32) | lo;
    rem = static_cast<std::uint32_t>(n % d);
    return static_cast<std::uint32_t>(n / d);
#endif
}

// x / y with the remainder, for y != 0. Narrow words divide by a y of one 32-bit word in two
// divl steps and take the remainder of a longer y from one product, where the plain operators
// would each call a library routine.
inline std::uint64_t divideValues(std::uint64_t x, std::uint64_t y, std::uint64_t& remainder) {
    if constexpr (kNarrowWords) {
        if (y >> 32 == 0) {
            const auto d = static_cast<std::uint32_t>(y);
            const auto upper = static_cast<std::uint32_t>(x >> 32);
            std::uint32_t rem = upper % d;
            const std::uint64_t high = upper / d;
            const std::uint32_t low = divideWord(rem, static_cast<std::uint32_t>(x), d, rem);
            remainder = rem;
            return (high << 32) | low;
        }
    }
    const std::uint64_t q = x / y;
    remainder = x - q * y;
    return q;
}

struct LimbHalves {
    std::uint32_t high;  // v / 10^9
    std::uint32_t low;   // v % 10^9
};

// v < 10^18 as high * 10^9 + low with low < 10^9, from three products of 32-bit values: the
// quotient estimated from v's upper 32 bits is at most six below the true one, so the rest stays
// below 2^38 and the exact quotient of that comes from one more product.
constexpr LimbHalves cutHalves(Limb v) {
    constexpr unsigned kWordBits = 32;
    const auto upper = static_cast<std::uint32_t>(v >> kWordBits);
    const auto estimate = static_cast<std::uint32_t>(
        (std::uint64_t{upper} * static_cast<std::uint64_t>(kInverseOfHalfBase)) >> 29);
    const Limb rest = v - std::uint64_t{estimate} * static_cast<std::uint32_t>(kHalfBase);
    const auto more =
        static_cast<std::uint32_t>((std::uint64_t{static_cast<std::uint32_t>(rest >> 9)} *
                                    static_cast<std::uint64_t>(kExactInverse)) >>
                                   50);
    return {estimate + more,
            static_cast<std::uint32_t>(rest) - more * static_cast<std::uint32_t>(kHalfBase)};
}

// A column sum t < 2^126 split into its lowest digit in base `radix` (10^18 unless said
// otherwise, at least 2^4 and below 2^60) and the carry floor(t / radix), with the reciprocal
// mu = floor(2^128 / radix) = mu1 * 2^64 + mu0 (after Barrett): the estimate
// mu1 * hi + floor((hi * mu0 + lo * mu1) / 2^64) drops two fractions below one, so it falls short
// of the carry by at most two, and the digit it leaves is below 3 * radix, which fits a word.
struct ColumnSplit {
    Limb digit;
    Wide carry;
};

template <Limb radix>
struct ColumnReciprocal {
    static constexpr std::uint64_t kHigh = ~std::uint64_t{0} / radix;
    static constexpr std::uint64_t kLow = [] {
        Limb rem = 0;
        return Divisor(radix).divide(~std::uint64_t{0} - kHigh * radix, ~std::uint64_t{0}, rem);
    }();
};

template <Limb radix = kBase>
constexpr ColumnSplit splitColumn(Wide t) {
    using Reciprocal = ColumnReciprocal<radix>;
    const std::uint64_t hi = highWord(t);
    const std::uint64_t lo = lowWord(t);
    Wide carry = mulWide(hi, Reciprocal::kHigh) +
                 highWord(mulWide(hi, Reciprocal::kLow) + mulWide(lo, Reciprocal::kHigh));
    Limb digit = lo - lowWord(carry) * radix;
    const Limb over = (digit >= radix ? 1U : 0U) + (digit >= 2 * radix ? 1U : 0U);
    digit -= over * radix;
    carry += over;
    return {digit, carry};
}

static_assert(ColumnReciprocal<kBase>::kHigh == 18);

struct LimbPair {
    Limb high;
    Limb low;
};

// Any 64-bit value as high * 10^18 + low (high at most 18). Narrow words estimate high from the
// upper word, with 232830644 just above 10^18 / 2^32: the estimate is at most one short.
constexpr LimbPair splitWord(std::uint64_t v) {
    if constexpr (kNarrowWords) {
        Limb high = static_cast<std::uint32_t>(v >> 32) / 232'830'644U;
        Limb low = v - high * kBase;
        if (low >= kBase) {
            ++high;
            low -= kBase;
        }
        return {high, low};
    } else {
        return {v / kBase, v % kBase};
    }
}

// Products a * m for a fixed multiplier m < 10^18 and limbs a < 10^18, split into base-10^18
// digits without a division (after Shoup): with m' = floor(m * 2^64 / 10^18), the estimate
// floor(a * m' / 2^64) falls short of the high digit by at most one, so the low part computed
// from it lies in [0, 2 * 10^18). The low part is returned unreduced.
class BaseMultiplier {
  public:
    constexpr explicit BaseMultiplier(Limb m) : m_(m) {
        Limb rem = 0;
        scaled_ = kBaseDivisor.divide(m, 0, rem);
    }

    [[nodiscard]] constexpr LimbPair split(Limb a) const {
        const Limb high = highWord(mulWide(a, scaled_));
        return {high, a * m_ - high * kBase};
    }

  private:
    Limb m_;
    Limb scaled_ = 0;
};

}  // namespace kestrum::aserv::kernel::detail
