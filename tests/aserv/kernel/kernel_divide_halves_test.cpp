// Long division on halves below 10^9, the schoolbook division of 32-bit builds, called directly
// (so that 64-bit builds test it too) against the column-arithmetic reference: divisors whose top
// limb has a zero top half or is one short of the base, scale factors from 1 to 5 * 10^8, and
// dividends that make the quotient estimate too large and the step add the divisor back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/digits.h"
#include "kernel/divide_halves.h"
#include "operands.h"
#include "reference.h"

namespace kestrum::aserv::kernel::testing {
namespace {

using detail::Limb;

std::vector<Limb> limbsOf(const std::u16string& digits) {
    std::vector<Limb> limbs(detail::limbsFor(digits.size()));
    detail::parseLimbs(digits, limbs.data());
    return limbs;
}

std::string narrow(const std::u16string& s) {
    return {s.begin(), s.end()};
}

void checkByHalves(const std::u16string& a, const std::u16string& b) {
    SCOPED_TRACE(narrow(a) + " / " + narrow(b));
    const std::vector<Limb> x = limbsOf(a);
    const std::vector<Limb> y = limbsOf(b);
    const detail::LimbQuotient d = detail::divideByHalves(x.data(), x.size(), y.data(), y.size());
    const ReferenceDivision expected = referenceDivide(a, b);
    EXPECT_EQ(detail::limbsToText(d.quotient.data(), d.quotient.size()), expected.quotient);
    EXPECT_EQ(detail::limbsToText(d.remainder.data(), d.remainder.size()), expected.remainder);
}

TEST(KernelDivideHalves, DivisorShapesAndScales) {
    OperandMaker maker(51);
    // Divisor lengths put 1 to 18 digits in the top limb (19 to 27 digits leave its top half 0);
    // the leading digits set the scale: 1 gives 5 * 10^8, 999999999 gives 1.
    const std::size_t lengths[] = {19, 20, 27, 28, 35, 36, 37, 90, 400};
    const char* leads[] = {"1", "4", "5", "999999999", "500000000", "499999999"};
    for (const std::size_t lb : lengths) {
        for (const char* lead : leads) {
            std::u16string b(lead, lead + std::char_traits<char>::length(lead));
            b = (b + maker.any(lb)).substr(0, lb);
            for (const std::size_t la : {lb, lb + 1, lb + 9, lb + 18, 2 * lb + 5, 3 * lb}) {
                checkByHalves(maker.any(la), b);
                checkByHalves(std::u16string(la, u'9'), b);
            }
        }
    }
}

// Dividends just below multiples of the divisor and divisors of nines then zeros make the
// estimate from the top two halves exceed the quotient half by one or two.
TEST(KernelDivideHalves, EstimatesThatOvershoot) {
    OperandMaker maker(52);
    for (const std::size_t lb : {19U, 36U, 54U, 100U}) {
        const std::u16string divisors[] = {std::u16string(9, u'9') + std::u16string(lb - 9, u'0'),
                                           u"5" + std::u16string(lb - 1, u'0'),
                                           u"5" + std::u16string(lb - 2, u'0') + u"1",
                                           maker.make(lb, Shape::Nines)};
        for (const std::u16string& b : divisors) {
            for (const std::size_t k : {9U, 18U, 40U}) {
                const std::u16string multiple = referenceMultiply(b, maker.any(k));
                checkByHalves(multiple, b);
                checkByHalves(referenceSubtract(multiple, u"1"), b);
                checkByHalves(referenceAdd(multiple, referenceSubtract(b, u"1")), b);
            }
        }
    }
}

// The normalised form, as the recursive division's leaves call it: a divisor whose top limb is
// at least half the base, a dividend whose top limbs are below it; checked as a = q * b + r.
TEST(KernelDivideHalves, NormalisedLimbs) {
    OperandMaker maker(53);
    for (const std::size_t nb : {2U, 3U, 7U, 24U}) {
        for (const std::size_t nq : {1U, 2U, 5U, 24U}) {
            const std::u16string b = u"5" + maker.any(nb * 18 - 1);
            const std::u16string a =
                referenceAdd(referenceMultiply(b, maker.any(nq * 18)), referenceSubtract(b, u"1"));
            std::vector<Limb> x = limbsOf(a);
            x.resize(nb + nq, 0);
            const std::vector<Limb> y = limbsOf(b);
            std::vector<Limb> q(nq);
            detail::divideNormalisedByHalves(q.data(), x.data(), x.size(), y.data(), y.size());
            const ReferenceDivision expected = referenceDivide(a, b);
            EXPECT_EQ(detail::limbsToText(q.data(), q.size()), expected.quotient);
            EXPECT_EQ(detail::limbsToText(x.data(), x.size()), expected.remainder);
        }
    }
}

}  // namespace
}  // namespace kestrum::aserv::kernel::testing
