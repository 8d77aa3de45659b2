// The double-word helpers against products and quotients worked out by hand: builds with 128-bit
// integers check the built-in type, 32-bit builds the portable pair of words, whose carries
// between the 32-bit halves and between the words these cases stress. Then the cut of limbs into
// halves by 10^9 from 32-bit products, where its estimate from the upper word is furthest off.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <random>

#include "kernel/limb.h"

namespace kestrum::aserv::kernel::testing {
namespace {

using detail::Divisor;
using detail::highWord;
using detail::lowWord;
using detail::makeWide;
using detail::mulWide;
using detail::Wide;

constexpr std::uint64_t kMax = ~std::uint64_t{0};

struct ProductCase {
    std::uint64_t a;
    std::uint64_t b;
    std::uint64_t high;
    std::uint64_t low;
};

TEST(KernelDoubleWord, ProductsCarryBetweenHalvesAndWords) {
    const ProductCase cases[] = {
        {0, kMax, 0, 0},
        {kMax, kMax, 0xFFFF'FFFF'FFFF'FFFE, 1},
        {kMax, 2, 1, 0xFFFF'FFFF'FFFF'FFFE},
        {0x1'0000'0000, 0x1'0000'0000, 1, 0},
        {0xFFFF'FFFF, 0x1'0000'0001, 0, kMax},
        {0x8000'0000'8000'0000, 0x8000'0000'8000'0000, 0x4000'0000'8000'0000,
         0x4000'0000'0000'0000},
        {0xFFFF'FFFF'0000'0001, 0xFFFF'FFFF'0000'0001, 0xFFFF'FFFE'0000'0002,
         0xFFFF'FFFE'0000'0001},
        {999'999'999'999'999'999, 999'999'999'999'999'999, 0xC0'97CE'7BC9'0715,
         0x978A'31A8'B138'0001},
        {0x0123'4567'89AB'CDEF, 0xFEDC'BA98'7654'3210, 0x0121'FA00'AD77'D742,
         0x2236'D88F'E561'8CF0},
    };
    for (const ProductCase& c : cases) {
        const Wide product = mulWide(c.a, c.b);
        EXPECT_EQ(highWord(product), c.high) << c.a << " * " << c.b;
        EXPECT_EQ(lowWord(product), c.low) << c.a << " * " << c.b;
        EXPECT_TRUE(mulWide(c.b, c.a) == product) << c.a << " * " << c.b;
    }
}

TEST(KernelDoubleWord, SumsCarryIntoTheHighWordAndCompareByIt) {
    const Wide justBelow = makeWide(0, kMax);
    EXPECT_TRUE(justBelow + Wide{1} == makeWide(1, 0));
    EXPECT_TRUE(makeWide(5, kMax) + makeWide(1, 1) == makeWide(7, 0));
    EXPECT_TRUE(makeWide(5, 3) + makeWide(1, 1) == makeWide(6, 4));
    Wide sum = mulWide(kMax, kMax);
    sum += mulWide(kMax, 2);
    EXPECT_TRUE(sum == makeWide(kMax, kMax));
    EXPECT_TRUE(justBelow < makeWide(1, 0));
    EXPECT_TRUE(makeWide(1, 0) > justBelow);
    EXPECT_FALSE(makeWide(1, 0) < makeWide(1, 0));
}

struct QuotientCase {
    std::uint64_t divisor;
    std::uint64_t high;
    std::uint64_t low;
    std::uint64_t quotient;
    std::uint64_t remainder;
};

TEST(KernelDoubleWord, DivisorGivesExactQuotientsUpToTheLargest) {
    const QuotientCase cases[] = {
        {1, 0, 12345, 12345, 0},
        {3, 2, kMax, kMax, 2},
        {0x8000'0000'0000'0000, 0x7FFF'FFFF'FFFF'FFFF, kMax, kMax, 0x7FFF'FFFF'FFFF'FFFF},
        {kMax, kMax - 1, kMax, kMax, kMax - 1},
        {0xFFFF'FFFF, 0xFFFF'FFFE, 0x1234'5678'9ABC'DEF0, 0xFFFF'FFFF'1234'5677, 0xACF1'3567},
        {1'000'000'000'000'000'000, 999'999'999'999'999'999, kMax, kMax, 999'999'999'999'999'999},
        {10'000'000'000'000'000, 123'456'789, 987'654'321'987'654'321, 0x35'0637'AEAF,
         0x9'4A38'EC05'12B1},
    };
    for (const QuotientCase& c : cases) {
        const Divisor divisor(c.divisor);
        std::uint64_t remainder = 0;
        EXPECT_EQ(divisor.divide(c.high, c.low, remainder), c.quotient) << c.divisor;
        EXPECT_EQ(remainder, c.remainder) << c.divisor;
    }
    // Built at compile time the reciprocal comes from a bit-by-bit division.
    constexpr Divisor kThree(3);
    std::uint64_t remainder = 0;
    EXPECT_EQ(kThree.divide(2, kMax, remainder), kMax);
    EXPECT_EQ(remainder, 2U);
}

// The reciprocal for the divisor normalised to n = d * 2^shift must be floor((2^128 - 1) / n) -
// 2^64, as built at compile time bit by bit: at run time 64-bit builds take the 128-bit quotient,
// 32-bit x86 builds two quotient digits of 32 bits.
TEST(KernelDoubleWord, DivisorReciprocalsAtRunTimeAreExact) {
    // Divisors whose normalised words have low halves at the ends of their range and high halves
    // at the ends and in the middle, where a quotient digit's first estimate is furthest off.
    static constexpr std::array<std::uint64_t, 14> kDivisors{1,
                                                             3,
                                                             10,
                                                             999'999'999,
                                                             0xFFFF'FFFF,
                                                             0x1'0000'0001,
                                                             0x8000'0000'0000'0000,
                                                             0x8000'0000'FFFF'FFFF,
                                                             0x8000'0001'0000'0000,
                                                             0xC000'0000'7FFF'FFFF,
                                                             0xFFFF'FFFF'0000'0000,
                                                             kMax,
                                                             1'000'000'000'000'000'000,
                                                             999'999'999'999'999'999};
    constexpr auto kAtCompileTime = [] {
        std::array<std::uint64_t, kDivisors.size()> out{};
        for (std::size_t i = 0; i < kDivisors.size(); ++i) {
            out[i] = Divisor(kDivisors[i]).inverse();
        }
        return out;
    }();
    for (std::size_t i = 0; i < kDivisors.size(); ++i) {
        EXPECT_EQ(Divisor(kDivisors[i]).inverse(), kAtCompileTime[i]) << kDivisors[i];
    }
    // Random divisors of every length: (2^64 + v) n <= 2^128 - 1 < (2^64 + v + 1) n.
    std::mt19937_64 random(20261208);
    for (int i = 0; i < 200'000; ++i) {
        const std::uint64_t d = std::max(std::uint64_t{1}, random() >> (random() % 64));
        const Divisor divisor(d);
        const std::uint64_t n = d << divisor.shift();
        ASSERT_EQ(n >> 63, 1U) << d;
        const Wide product = mulWide(divisor.inverse(), n);
        ASSERT_LE(highWord(product), ~n) << d;
        ASSERT_TRUE(product + Wide{n} > makeWide(~n, kMax)) << d;
    }
}

struct HalvesCase {
    std::uint64_t limb;
    std::uint32_t high;
    std::uint32_t low;
};

TEST(KernelDoubleWord, LimbsCutIntoHalvesByTheHalfBase) {
    // Each upper word from 0 to the largest limb's, with lower words at the ends; limbs just
    // below and at multiples of 10^9, where a quotient one off would show.
    const HalvesCase cases[] = {
        {0, 0, 0},
        {1, 0, 1},
        {999'999'999, 0, 999'999'999},
        {1'000'000'000, 1, 0},
        {0xFFFF'FFFF, 4, 294'967'295},
        {0x1'0000'0000, 4, 294'967'296},
        {0x1'FFFF'FFFF, 8, 589'934'591},
        {999'999'999'000'000'000, 999'999'999, 0},
        {999'999'998'999'999'999, 999'999'998, 999'999'999},
        {999'999'999'999'999'999, 999'999'999, 999'999'999},
        {0x0DE0'B6B3'A763'0000, 999'999'999, 999'934'464},
        {0x0DE0'B6B3'0000'0000, 999'999'997, 191'651'328},
        {0x0DE0'B6B2'FFFF'FFFF, 999'999'997, 191'651'327},
        {123'456'789'987'654'321, 123'456'789, 987'654'321},
        {500'000'000'500'000'000, 500'000'000, 500'000'000},
    };
    for (const HalvesCase& c : cases) {
        const detail::LimbHalves halves = detail::cutHalves(c.limb);
        EXPECT_EQ(halves.high, c.high) << c.limb;
        EXPECT_EQ(halves.low, c.low) << c.limb;
    }
    // Upper words in about 4100 steps up to the largest limb's, with the lowest and the highest
    // lower word.
    for (std::uint64_t upper = 0; upper <= 0x0DE0'B6B3; upper += 0x0DE0'B6B3 / 4099) {
        for (const std::uint64_t lower : {std::uint64_t{0}, std::uint64_t{0xFFFF'FFFF}}) {
            const std::uint64_t limb =
                std::min((upper << 32) | lower, std::uint64_t{999'999'999'999'999'999});
            const detail::LimbHalves halves = detail::cutHalves(limb);
            ASSERT_EQ(halves.high, limb / 1'000'000'000) << limb;
            ASSERT_EQ(halves.low, limb % 1'000'000'000) << limb;
        }
    }
}

// Values built as high * 10^18 + low from the parts they must split into: every high digit with
// the lowest and highest low parts, where the estimate from the upper word falls short, and the
// largest 64-bit value.
TEST(KernelDoubleWord, SplitWordByTheBase) {
    constexpr std::uint64_t kBase = detail::kBase;
    for (std::uint64_t high = 0; high <= 18; ++high) {
        const std::uint64_t room = high == 18 ? kMax - 18 * kBase : kBase - 1;
        for (const std::uint64_t low : {std::uint64_t{0}, std::uint64_t{1}, room / 2, room}) {
            const detail::LimbPair split = detail::splitWord(high * kBase + low);
            EXPECT_EQ(split.high, high) << high << " " << low;
            EXPECT_EQ(split.low, low) << high << " " << low;
        }
    }
}

// Dividends built as q * y + r: divisors of one 32-bit word (two word divisions) with quotients
// past 2^32, and longer divisors.
TEST(KernelDoubleWord, DivideValues) {
    const struct {
        std::uint64_t y;
        std::uint64_t q;
        std::uint64_t r;
    } cases[] = {
        {1, 999'999'999'999'999'999, 0},
        {7, 142'857'142'857'142'857, 6},
        {99'999, 100'000'001'234, 99'998},
        {4'294'967'295, 4'294'967'296, 4'294'967'294},
        {4'294'967'296, 4'294'967'295, 12345},
        {4'294'967'297, 3, 4'294'967'296},
        {999'999'999'999, 9'999'999, 1},
        {999'999'999'999'999'999, 17, 999'999'999'999'999'998},
    };
    for (const auto& c : cases) {
        std::uint64_t remainder = 0;
        EXPECT_EQ(detail::divideValues(c.q * c.y + c.r, c.y, remainder), c.q) << c.y;
        EXPECT_EQ(remainder, c.r) << c.y;
    }
}

}  // namespace
}  // namespace kestrum::aserv::kernel::testing
