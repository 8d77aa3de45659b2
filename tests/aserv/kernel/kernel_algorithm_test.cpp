// The kernel's algorithm switches: every multiplication and division threshold at one limb
// below, at and above, the number-theoretic transform at its longest length with the operands
// that make its column sums largest, and the division shapes each method is chosen for. Products
// are checked by their residues modulo three moduli; divisions by a = q * b + r with r < b.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "kernel/digits.h"
#include "kernel/divide.h"
#include "kernel/kernel.h"
#include "kernel/limb.h"
#include "kernel/multiply.h"
#include "kernel/ntt.h"
#include "kernel/school_avx2.h"
#include "kernel/school_avx512.h"
#include "operands.h"

namespace kestrum::aserv::kernel::testing {
namespace {

constexpr std::size_t kLimb = detail::kLimbDigits;

// Two primes below 2^32 and 10^9 (the last nine digits), so residue products fit 64 bits.
constexpr std::uint64_t kModuli[] = {4'294'967'291ULL, 4'294'967'279ULL, 1'000'000'000ULL};

std::uint64_t residue(const std::u16string& digits, std::uint64_t m) {
    std::uint64_t r = 0;
    for (const char16_t c : digits) {
        r = (r * 10 + static_cast<std::uint64_t>(c - u'0')) % m;
    }
    return r;
}

bool canonical(const std::u16string& s) {
    if (s.empty() || (s.size() > 1 && s[0] == u'0')) {
        return false;
    }
    return std::ranges::all_of(s, [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

void checkProduct(const std::u16string& a, const std::u16string& b) {
    SCOPED_TRACE(std::to_string(a.size()) + " x " + std::to_string(b.size()) + " digits");
    const std::u16string p = multiplyMagnitudes(a, b);
    ASSERT_TRUE(canonical(p));
    // Nonzero canonical operands of la and lb digits have a product of la + lb - 1 or la + lb.
    EXPECT_GE(p.size() + 1, a.size() + b.size());
    EXPECT_LE(p.size(), a.size() + b.size());
    for (const std::uint64_t m : kModuli) {
        EXPECT_EQ(residue(p, m), residue(a, m) * residue(b, m) % m) << "modulo " << m;
    }
    EXPECT_EQ(multiplyMagnitudes(b, a), p);
}

void checkDivision(const std::u16string& a, const std::u16string& b) {
    SCOPED_TRACE(std::to_string(a.size()) + " / " + std::to_string(b.size()) + " digits");
    const Division d = divideMagnitudes(a, b);
    ASSERT_TRUE(canonical(d.quotient));
    ASSERT_TRUE(canonical(d.remainder));
    EXPECT_LT(compareMagnitudes(d.remainder, b), 0);
    EXPECT_EQ(addMagnitudes(multiplyMagnitudes(d.quotient, b), d.remainder), a);
}

// Digit counts that make exactly `limbs` limbs: the shortest and the longest.
std::vector<std::size_t> lengthsOf(std::size_t limbs) {
    return {kLimb * (limbs - 1) + 1, kLimb * limbs};
}

std::u16string nines(std::size_t n) {
    return std::u16string(n, u'9');
}

// (10^n - 1)(10^m - 1) for n >= m >= 1: (10^m - 2) * 10^n + 10^n - 10^m + 1.
std::u16string ninesProduct(std::size_t n, std::size_t m) {
    return nines(m - 1) + u"8" + nines(n - m) + std::u16string(m - 1, u'0') + u"1";
}

TEST(KernelAlgorithms, MultiplicationThresholds) {
    OperandMaker maker(31);
    for (const std::size_t threshold :
         {detail::kAvx2SchoolShortest, detail::karatsubaThreshold(), detail::kTransformThreshold}) {
        for (const std::size_t limbs : {threshold - 1, threshold, threshold + 1}) {
            for (const std::size_t lb : lengthsOf(limbs)) {
                checkProduct(maker.any(lb), maker.any(lb));
                checkProduct(maker.make(lb, Shape::Nines), maker.make(lb, Shape::Nines));
                checkProduct(maker.any(2 * lb + 1), maker.any(lb));
                checkProduct(maker.any(3 * lb), maker.make(lb, Shape::SparseNines));
            }
        }
    }
}

TEST(KernelAlgorithms, RandomShapesAroundTheMultiplicationCrossovers) {
    OperandMaker maker(32);
    for (const std::size_t threshold :
         {detail::karatsubaThreshold(), detail::kTransformThreshold}) {
        for (int round = 0; round < 6; ++round) {
            const std::size_t lb = kLimb * (threshold - 2) + 1 + maker.below(4 * kLimb);
            const std::size_t la = lb + maker.below(3 * lb);
            checkProduct(maker.any(la), maker.any(lb));
        }
    }
    for (int round = 0; round < 6; ++round) {
        const std::size_t lb = detail::kShortTransformDigits - 20 + maker.below(40);
        checkProduct(maker.any(lb + maker.below(lb)), maker.any(lb));
    }
}

// All 9s make every column sum as large as it can be for the length.
TEST(KernelAlgorithms, TransformAtItsLongestLengthWithAllNines) {
    const std::size_t half = kLimb * detail::kTransformMaxLength / 2;
    // 2^11 x 2^11 limbs (4095 columns), then 2^11 x (2^11 + 1) limbs: exactly the longest
    // transform; then one limb more, which no longer fits one transform.
    const std::size_t shapes[][2] = {{half, half},
                                     {half + kLimb, half},
                                     {half + kLimb, half + kLimb},
                                     {32767, 32767},
                                     // The same for the transform on 16-digit limbs.
                                     {32768, 32768},
                                     {32784, 32768},
                                     {32784, 32784}};
    for (const auto& s : shapes) {
        SCOPED_TRACE(std::to_string(s[0]) + " x " + std::to_string(s[1]));
        EXPECT_EQ(multiplyMagnitudes(nines(s[0]), nines(s[1])), ninesProduct(s[0], s[1]));
    }
    EXPECT_TRUE(detail::transformFits(detail::kTransformMaxLength / 2,
                                      detail::kTransformMaxLength / 2 + 1));
    EXPECT_FALSE(detail::transformFits(detail::kTransformMaxLength / 2 + 1,
                                       detail::kTransformMaxLength / 2 + 1));
}

// Both transforms called directly on all nines: 32-bit builds on a vector schoolbook multiply
// with Karatsuba at every length, so the products above need not reach them.
TEST(KernelAlgorithms, TransformsOnTheirOwnAtShortAndLongestLengths) {
    struct Shape {
        std::size_t na;
        std::size_t nb;
    };
    // Limbs of each operand: one, a few, around a power of two, and the longest transform.
    const Shape shapes[] = {{1, 1},     {3, 2},       {63, 64},     {511, 512},
                            {700, 300}, {2048, 2048}, {2049, 2047}, {4000, 96}};
    for (const Shape& s : shapes) {
        SCOPED_TRACE(std::to_string(s.na) + " x " + std::to_string(s.nb) + " limbs");
        ASSERT_TRUE(detail::transformFits(s.na, s.nb));
        const std::vector<detail::Limb> a(s.na, detail::kBase - 1);
        const std::vector<detail::Limb> b(s.nb, detail::kBase - 1);
        std::vector<detail::Limb> r(s.na + s.nb);
        detail::multiplyTransform(r.data(), a.data(), s.na, b.data(), s.nb);
        const std::size_t longer = std::max(s.na, s.nb);
        const std::size_t shorter = std::min(s.na, s.nb);
        EXPECT_EQ(detail::limbsToText(r.data(), r.size()),
                  ninesProduct(kLimb * longer, kLimb * shorter));
        const std::vector<detail::Limb> x(s.na, detail::kShortBase - 1);
        const std::vector<detail::Limb> y(s.nb, detail::kShortBase - 1);
        detail::multiplyTransformShort(r.data(), x.data(), s.na, y.data(), s.nb);
        std::u16string shortText;
        detail::shortLimbsToText(r.data(), r.size(), shortText);
        EXPECT_EQ(shortText, ninesProduct(detail::kShortLimbDigits * longer,
                                          detail::kShortLimbDigits * shorter));
    }
}

// 64-bit builds use the transforms from fixed lengths on; 32-bit builds keep them for the
// column sums only.
TEST(KernelAlgorithms, TransformThresholdsFollowTheLeaves) {
    const bool none =
        detail::kNarrowWords && (detail::avx2SchoolAvailable() || detail::avx512SchoolAvailable());
    EXPECT_EQ(detail::transformThreshold(), none ? ~std::size_t{0} : detail::kTransformThreshold);
    EXPECT_EQ(detail::shortTransformDigits(),
              none ? ~std::size_t{0} : detail::kShortTransformDigits);
}

TEST(KernelAlgorithms, NinesProductsAtEveryLadderStep) {
    for (const std::size_t limbs : {detail::karatsubaThreshold(), detail::kTransformThreshold,
                                    detail::kTransformMaxLength / 4}) {
        for (const std::size_t n : lengthsOf(limbs)) {
            EXPECT_EQ(multiplyMagnitudes(nines(n), nines(n)), ninesProduct(n, n)) << n;
            EXPECT_EQ(multiplyMagnitudes(nines(3 * n), nines(n)), ninesProduct(3 * n, n)) << n;
        }
    }
}

TEST(KernelAlgorithms, DivisionThresholds) {
    OperandMaker maker(33);
    const std::size_t t = detail::kDivideThreshold;
    for (const std::size_t divisorLimbs : {t - 1, t, t + 1}) {
        for (const std::size_t quotientLimbs : {t - 1, t, t + 1}) {
            for (const std::size_t lb : lengthsOf(divisorLimbs)) {
                const std::size_t la = lb + kLimb * (quotientLimbs - 1) + maker.below(kLimb);
                checkDivision(maker.any(la), maker.any(lb));
                checkDivision(maker.any(la), maker.make(lb, Shape::Nines));
            }
        }
    }
}

// The recursive division splits odd blocks into halves one limb apart, and finds a quotient longer
// than the divisor in blocks of the divisor's length with a shorter block on top. A dividend of
// b * B^m - 1
// (B the limb base) has the divisor's top limbs on top at every step, where the quotient limbs
// are taken as all nines; its quotient is B^m - 1 and its remainder b - 1.
TEST(KernelAlgorithms, RecursiveDivisionOddBlocksAndEqualTops) {
    OperandMaker maker(36);
    const std::size_t t = detail::kDivideThreshold;
    const std::size_t base = detail::kDivideBlockThreshold;
    for (const std::size_t limbs :
         {t, t + 1, 2 * base - 1, 2 * base + 1, 4 * base + 3, std::size_t{455}}) {
        const std::size_t lb = kLimb * limbs - maker.below(kLimb);
        for (const std::u16string& b : {maker.any(lb), maker.make(lb, Shape::Nines)}) {
            const std::u16string power = u"1" + std::u16string(kLimb * limbs, u'0');
            const std::u16string a = subtractMagnitudes(multiplyMagnitudes(b, power), u"1");
            const Division d = divideMagnitudes(a, b);
            EXPECT_EQ(d.quotient, nines(kLimb * limbs)) << limbs;
            EXPECT_EQ(d.remainder, subtractMagnitudes(b, u"1")) << limbs;
            checkDivision(maker.any(2 * lb - maker.below(kLimb)), b);
            // A block of quotient limbs and a shorter one on top: 1, 2 or limbs - 1 of them.
            for (const std::size_t extra : {std::size_t{1}, std::size_t{2}, limbs - 1}) {
                const std::size_t dividendLimbs = 2 * limbs + extra - 1;
                checkDivision(maker.any(kLimb * (dividendLimbs - 1) + 1 + maker.below(kLimb)), b);
            }
        }
    }
}

// A quotient of k limbs (counted as dividend limbs + 1 - divisor limbs) by a divisor of more
// than 2(k + 2) limbs is found from the divisor's top limbs and then corrected. The dividends
// below are near q * b with q of m limbs, so k = m + 1: divisors around that boundary, with low
// limbs all 9s (the truncated estimate one too large), 0s and a 1, or random.
TEST(KernelAlgorithms, ShortQuotientsOfLongDivisors) {
    OperandMaker maker(34);
    for (const std::size_t m : {1U, 2U, 5U, 30U}) {
        const std::size_t boundary = 2 * (m + 3);
        for (std::size_t nb = boundary - 1; nb <= boundary + 2; ++nb) {
            const std::u16string lowNines =
                maker.any(kLimb * (m + 3)) + nines(kLimb * (nb - m - 3));
            const std::u16string tenToOne = u"1" + std::u16string(kLimb * nb - 2, u'0') + u"1";
            for (const std::u16string& b : {maker.any(kLimb * nb), lowNines, tenToOne}) {
                const std::u16string q = maker.any(kLimb * m);
                const std::u16string exact = multiplyMagnitudes(q, b);
                checkDivision(exact, b);
                checkDivision(subtractMagnitudes(exact, u"1"), b);
                checkDivision(addMagnitudes(exact, subtractMagnitudes(b, u"1")), b);
                checkDivision(maker.any(kLimb * (nb + m - 1) + 1 + maker.below(kLimb)), b);
                const Division d = divideMagnitudes(subtractMagnitudes(exact, u"1"), b);
                EXPECT_EQ(d.quotient, subtractMagnitudes(q, u"1"));
                EXPECT_EQ(d.remainder, subtractMagnitudes(b, u"1"));
            }
        }
    }
}

TEST(KernelAlgorithms, DivisionShapesAtTheLimit) {
    OperandMaker maker(35);
    const std::size_t divisorLengths[] = {1,    10,   18,    19,    36,    100,   1000,
                                          4000, 8000, 16383, 24000, 32000, 32700, 32766};
    for (const std::size_t lb : divisorLengths) {
        const std::u16string a = maker.any(32766);
        checkDivision(a, maker.any(lb));
        checkDivision(a, maker.make(lb, Shape::Nines));
        checkDivision(a, maker.make(lb, Shape::PowerOfTen));
    }
}

}  // namespace
}  // namespace kestrum::aserv::kernel::testing
