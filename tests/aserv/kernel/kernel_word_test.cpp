// Operands small enough for one machine word take a path of their own in addition, subtraction
// and multiplication; these shapes sit on both sides of where it ends.
#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>

#include "kernel/kernel.h"
#include "reference.h"

namespace kestrum::aserv::kernel {
namespace {

using testing::referenceAdd;
using testing::referenceMultiply;
using testing::referenceSubtract;

std::u16string nines(std::size_t n) {
    return std::u16string(n, u'9');
}

std::u16string randomDigits(std::mt19937& random, std::size_t n) {
    std::uniform_int_distribution<int> digit(0, 9);
    std::u16string text(1, static_cast<char16_t>(u'1' + digit(random) % 9));
    while (text.size() < n) {
        text.push_back(static_cast<char16_t>(u'0' + digit(random)));
    }
    return text;
}

TEST(KernelWordPath, AllNinesAtTheWordBoundaries) {
    for (std::size_t la = 1; la <= 21; ++la) {
        for (std::size_t lb = 1; lb <= la; ++lb) {
            const std::u16string a = nines(la);
            const std::u16string b = nines(lb);
            ASSERT_EQ(addMagnitudes(a, b), referenceAdd(a, b)) << la << "+" << lb;
            ASSERT_EQ(subtractMagnitudes(a, b), referenceSubtract(a, b)) << la << "-" << lb;
            ASSERT_EQ(multiplyMagnitudes(a, b), referenceMultiply(a, b)) << la << "x" << lb;
            // With leading zeros the word path must still read the value only.
            ASSERT_EQ(addMagnitudes(u"000" + a, b), referenceAdd(a, b));
        }
    }
}

TEST(KernelWordPath, RandomOperandsAroundTheBoundaries) {
    std::mt19937 random(19);
    for (int round = 0; round < 4000; ++round) {
        const std::size_t la = 1 + static_cast<std::size_t>(round % 21);
        const std::size_t lb = 1 + static_cast<std::size_t>(round / 21) % la;
        const std::u16string a = randomDigits(random, la);
        const std::u16string b = randomDigits(random, lb);
        ASSERT_EQ(addMagnitudes(a, b), referenceAdd(a, b));
        ASSERT_EQ(multiplyMagnitudes(a, b), referenceMultiply(a, b));
        if (la > lb) {
            ASSERT_EQ(subtractMagnitudes(a, b), referenceSubtract(a, b));
        }
    }
    EXPECT_EQ(subtractMagnitudes(u"10000000000000000000", u"1"), u"9999999999999999999");
    EXPECT_EQ(subtractMagnitudes(u"5", u"5"), u"0");
    EXPECT_EQ(addMagnitudes(u"", u"0"), u"0");
}

}  // namespace
}  // namespace kestrum::aserv::kernel
