// Groups of 18 digits to limbs and back against std::to_string: every four-digit value in every
// four-digit field of a limb (the vector formatter converts each field in its own lanes), every
// digit at every position, and the splits at 10^8 and 10^16. Then the text division by one limb
// at every number of digit groups, so the quotient limbs written after a delay meet every length
// of the delay buffer.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "kernel/digits.h"
#include "kernel/kernel.h"
#include "operands.h"
#include "reference.h"

namespace kestrum::aserv::kernel::testing {
namespace {

using detail::kBase;
using detail::kLimbDigits;
using detail::Limb;

std::string paddedDecimal(Limb v) {
    const std::string s = std::to_string(v);
    return std::string(kLimbDigits - s.size(), '0') + s;
}

// Formats v, compares with the reference, and reads the text back.
void checkLimb(Limb v) {
    std::array<char16_t, kLimbDigits> text{};
    detail::formatLimb(text.data(), v);
    const std::string expected = paddedDecimal(v);
    ASSERT_EQ(std::string(text.begin(), text.end()), expected) << v;
    ASSERT_EQ(detail::parseLimb(text.data()), v) << expected;
}

TEST(KernelDigitGroups, EveryFourDigitValueInEveryField) {
    std::mt19937_64 rng(61);
    std::uniform_int_distribution<Limb> limb(0, kBase - 1);
    // Fields of four digits end 0, 4, 8 and 12 digits from the right, and the top two digits
    // form a field of their own.
    for (const Limb scale : {Limb{1}, Limb{10'000}, Limb{100'000'000}, Limb{1'000'000'000'000ULL},
                             Limb{10'000'000'000'000'000ULL}}) {
        const Limb limit = kBase / scale < 10'000 ? kBase / scale : 10'000;
        for (Limb w = 0; w < limit; ++w) {
            // The other digits: all zeros, all nines, or random.
            const Limb rest = w % 3 == 0 ? 0 : (w % 3 == 1 ? kBase - 1 : limb(rng));
            const Limb outside = rest - (rest / scale % limit) * scale;
            checkLimb(outside + w * scale);
        }
    }
}

TEST(KernelDigitGroups, EveryDigitAtEveryPosition) {
    std::mt19937_64 rng(62);
    std::uniform_int_distribution<Limb> limb(0, kBase - 1);
    Limb scale = 1;
    for (std::size_t position = 0; position < kLimbDigits; ++position, scale *= 10) {
        for (Limb digit = 0; digit < 10; ++digit) {
            for (const Limb rest : {Limb{0}, kBase - 1, limb(rng), limb(rng)}) {
                checkLimb(rest - (rest / scale % 10) * scale + digit * scale);
            }
        }
    }
}

TEST(KernelDigitGroups, AroundTheEightAndSixteenDigitSplits) {
    for (const Limb p : {Limb{100'000'000}, Limb{10'000'000'000'000'000ULL}}) {
        for (const Limb k : {Limb{1}, Limb{2}, Limb{9}, Limb{10}, Limb{99}}) {
            if (k * p >= kBase) {
                continue;
            }
            for (const Limb v : {k * p - 1, k * p, k * p + 1}) {
                checkLimb(v);
            }
        }
    }
    checkLimb(0);
    checkLimb(kBase - 1);
    checkLimb(kBase / 2);
}

// Dividends of 1 to 12 digit groups past the top group, so the text division writes every
// quotient limb count below, at and above its delay, by divisors at the edges of their lengths.
TEST(KernelDigitGroups, ShortDivisionAtEveryGroupCount) {
    OperandMaker maker(63);
    std::vector<std::u16string> divisors = {u"1", u"7", u"999999999999999999",
                                            u"100000000000000000", u"100000000000000001"};
    for (std::size_t k : {1U, 9U, 10U, 17U}) {
        divisors.push_back(maker.make(k, Shape::Nines));
        divisors.push_back(maker.make(k, Shape::PowerOfTen));
        divisors.push_back(maker.any(k));
    }
    for (const std::u16string& b : divisors) {
        for (std::size_t groups = 1; groups <= 12; ++groups) {
            for (const std::size_t head : {1U, 17U, 18U}) {
                const std::u16string a = maker.any(head + groups * kLimbDigits);
                SCOPED_TRACE(std::string(a.begin(), a.end()) + " / " +
                             std::string(b.begin(), b.end()));
                const ReferenceDivision expected = referenceDivide(a, b);
                const Division d = divideMagnitudes(a, b);
                EXPECT_EQ(d.quotient, expected.quotient);
                EXPECT_EQ(d.remainder, expected.remainder);
            }
        }
    }
}

}  // namespace
}  // namespace kestrum::aserv::kernel::testing
