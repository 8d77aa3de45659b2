// The kernel against the column-arithmetic reference, on lengths that straddle every limb
// boundary and algorithm threshold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/kernel.h"
#include "operands.h"
#include "reference.h"

namespace kestrum::aserv::kernel::testing {
namespace {

std::string show(const std::u16string& s) {
    std::string out;
    for (const char16_t c : s) {
        out.push_back(static_cast<char>(c));
    }
    return out.size() <= 80 ? out : out.substr(0, 40) + "..(" + std::to_string(out.size()) + ")";
}

std::u16string withZeros(const std::u16string& s, std::size_t zeros) {
    return std::u16string(zeros, u'0') + s;
}

// Every operation on one pair, each operand also passed with leading zeros.
void checkPair(const std::u16string& a, const std::u16string& b, std::size_t zeros) {
    SCOPED_TRACE("a=" + show(a) + " b=" + show(b));
    const std::u16string za = withZeros(a, zeros);
    const std::u16string zb = withZeros(b, zeros % 3);
    const int order = referenceCompare(a, b);
    EXPECT_EQ(compareMagnitudes(za, zb), order);
    EXPECT_EQ(compareMagnitudes(zb, za), -order);
    EXPECT_EQ(addMagnitudes(za, zb), referenceAdd(a, b));
    const std::u16string& big = order >= 0 ? a : b;
    const std::u16string& small = order >= 0 ? b : a;
    EXPECT_EQ(subtractMagnitudes(withZeros(big, zeros), small), referenceSubtract(big, small));
    EXPECT_EQ(multiplyMagnitudes(za, zb), referenceMultiply(a, b));
    if (b != u"0") {
        const Division d = divideMagnitudes(za, zb);
        const ReferenceDivision r = referenceDivide(a, b);
        EXPECT_EQ(d.quotient, r.quotient);
        EXPECT_EQ(d.remainder, r.remainder);
    }
}

struct Fixed {
    std::u16string a;
    std::u16string b;
    int compare;
    std::u16string sum;
    std::u16string product;
    std::u16string quotient;
    std::u16string remainder;
};

// Results worked out by hand.
const Fixed kFixed[] = {
    {u"", u"1", -1, u"1", u"0", u"0", u"0"},
    {u"000", u"0007", -1, u"7", u"0", u"0", u"0"},
    {u"7", u"007", 0, u"14", u"49", u"1", u"0"},
    {u"999999999999999999", u"1", 1, u"1000000000000000000", u"999999999999999999",
     u"999999999999999999", u"0"},
    {u"1000000000000000000", u"999999999999999999", 1, u"1999999999999999999",
     u"999999999999999999000000000000000000", u"1", u"1"},
    {u"99999999999999999999", u"99999999999999999999", 0, u"199999999999999999998",
     u"9999999999999999999800000000000000000001", u"1", u"0"},
    {u"123456789012345678901234567890", u"987654321", 1, u"123456789012345678902222222211",
     u"121932631124828532112482853211126352690", u"124999998873437499901", u"574845669"},
    {u"1000000000000000000000000000000000000", u"3", 1, u"1000000000000000000000000000000000003",
     u"3000000000000000000000000000000000000", u"333333333333333333333333333333333333", u"1"},
};

TEST(KernelFixed, HandWorkedResults) {
    for (const Fixed& f : kFixed) {
        SCOPED_TRACE("a=" + show(f.a) + " b=" + show(f.b));
        EXPECT_EQ(compareMagnitudes(f.a, f.b), f.compare);
        EXPECT_EQ(addMagnitudes(f.a, f.b), f.sum);
        EXPECT_EQ(multiplyMagnitudes(f.a, f.b), f.product);
        const Division d = divideMagnitudes(f.a, f.b);
        EXPECT_EQ(d.quotient, f.quotient);
        EXPECT_EQ(d.remainder, f.remainder);
    }
}

TEST(KernelFixed, SignificantLengthIgnoresLeadingZeros) {
    const struct {
        std::u16string text;
        std::size_t length;
    } cases[] = {{u"", 0},          {u"0", 0},  {u"00000000", 0},
                 {u"000000001", 1}, {u"10", 2}, {u"0000120", 3}};
    for (const auto& c : cases) {
        EXPECT_EQ(significantLength(c.text), c.length) << show(c.text);
        EXPECT_EQ(stripLeadingZeros(c.text).size(), c.length) << show(c.text);
    }
}

TEST(KernelFixed, SubtractionToZeroAndBorrowChains) {
    EXPECT_EQ(subtractMagnitudes(u"0000", u""), u"0");
    EXPECT_EQ(subtractMagnitudes(u"123", u"0123"), u"0");
    EXPECT_EQ(subtractMagnitudes(u"1000000000000000000000000000000000000", u"1"),
              u"999999999999999999999999999999999999");
}

// Lengths at limb boundaries (18 digits) and the multiplication and division thresholds
// (40 limbs, and 80 for a second level).
const std::vector<std::size_t> kLengths = {1,  2,  9,   17,  18,  19,  35,  36,  37,
                                           54, 55, 701, 702, 703, 720, 721, 738, 739};

TEST(KernelDifferential, AllShapesAtBoundaryLengths) {
    OperandMaker maker(11);
    for (const std::size_t la : kLengths) {
        for (const Shape sa : kShapes) {
            const std::size_t lb = kLengths[maker.below(kLengths.size())];
            const std::u16string a = maker.make(la, sa);
            const std::u16string b = maker.any(lb);
            checkPair(a, b, maker.below(4) * 9);
        }
    }
}

TEST(KernelDifferential, KaratsubaAndUnbalancedSizes) {
    OperandMaker maker(12);
    const std::size_t sizes[][2] = {{1440, 1440}, {1441, 721},  {1439, 720}, {2200, 800},
                                    {2000, 30},   {1500, 1000}, {757, 745}};
    for (const auto& s : sizes) {
        checkPair(maker.any(s[0]), maker.any(s[1]), 1);
    }
}

TEST(KernelDifferential, DivisionWithLongDivisorsAndQuotients) {
    OperandMaker maker(13);
    // Divisor and quotient lengths around the recursive-division threshold and its second level.
    const std::size_t sizes[][2] = {{1441, 720},  {1442, 721},  {1460, 740}, {2900, 1441},
                                    {2600, 1500}, {1800, 1700}, {3000, 720}, {1500, 1440}};
    for (const auto& s : sizes) {
        const std::u16string b = maker.any(s[1]);
        const std::u16string a = maker.any(s[0]);
        const Division d = divideMagnitudes(a, b);
        const ReferenceDivision r = referenceDivide(a, b);
        EXPECT_EQ(d.quotient, r.quotient) << s[0] << "/" << s[1];
        EXPECT_EQ(d.remainder, r.remainder) << s[0] << "/" << s[1];
    }
}

TEST(KernelDifferential, DividendsNextToMultiplesOfTheDivisor) {
    OperandMaker maker(14);
    const std::size_t divisorLengths[] = {2, 18, 19, 36, 37, 100, 730, 800};
    const std::size_t quotientLengths[] = {1, 18, 19, 50, 740};
    for (const std::size_t lb : divisorLengths) {
        for (const std::size_t lq : quotientLengths) {
            const std::u16string b = maker.any(lb);
            const std::u16string q =
                maker.make(lq, maker.below(2) == 0 ? Shape::Nines : Shape::Random);
            const std::u16string exact = referenceMultiply(q, b);
            const std::u16string bMinus1 = referenceSubtract(b, u"1");
            // q*b - 1, q*b, q*b + (b - 1), q*b + b.
            const std::u16string cases[][2] = {
                {referenceSubtract(exact, u"1"), referenceSubtract(q, u"1")},
                {exact, q},
                {referenceAdd(exact, bMinus1), q},
                {referenceAdd(exact, b), referenceAdd(q, u"1")}};
            for (const auto& c : cases) {
                const Division d = divideMagnitudes(c[0], b);
                EXPECT_EQ(d.quotient, c[1]) << lb << " " << lq;
                EXPECT_EQ(referenceAdd(referenceMultiply(d.quotient, b), d.remainder), c[0])
                    << lb << " " << lq;
                EXPECT_LT(referenceCompare(d.remainder, b), 0);
            }
        }
    }
}

// Divisors whose lower limbs are all 9s while the dividend's are 0s make the first quotient
// estimate one too large, so the long division must add the divisor back.
TEST(KernelDifferential, QuotientEstimateOneTooLarge) {
    OperandMaker maker(15);
    for (int round = 0; round < 40; ++round) {
        const std::size_t lower = 18 * (1 + maker.below(3));
        std::u16string top = maker.make(36, Shape::Random);
        top[0] = static_cast<char16_t>(u'5' + maker.below(5));
        const std::u16string b = top + std::u16string(lower, u'9');
        const std::u16string q = maker.make(1 + maker.below(40), Shape::Random);
        const std::u16string a = referenceMultiply(q, top + std::u16string(lower, u'0'));
        const ReferenceDivision r = referenceDivide(a, b);
        const Division d = divideMagnitudes(a, b);
        EXPECT_EQ(d.quotient, r.quotient) << show(a) << " / " << show(b);
        EXPECT_EQ(d.remainder, r.remainder) << show(a) << " / " << show(b);
    }
}

TEST(KernelDifferential, DividendsJustAroundTheDivisor) {
    OperandMaker maker(16);
    for (const std::size_t len : {1U, 18U, 19U, 37U, 730U, 1441U}) {
        const std::u16string b = maker.any(len);
        const std::u16string around[] = {referenceSubtract(b, u"1"), b, referenceAdd(b, u"1"),
                                         referenceAdd(b, referenceSubtract(b, u"1"))};
        for (const std::u16string& a : around) {
            const ReferenceDivision r = referenceDivide(a, b);
            const Division d = divideMagnitudes(a, b);
            EXPECT_EQ(d.quotient, r.quotient) << len;
            EXPECT_EQ(d.remainder, r.remainder) << len;
        }
    }
}

}  // namespace
}  // namespace kestrum::aserv::kernel::testing
