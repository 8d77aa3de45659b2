// Algebraic identities on the longest operands, where the column reference is too slow.
#include <gtest/gtest.h>

#include <string>

#include "kernel/kernel.h"
#include "operands.h"

namespace kestrum::aserv::kernel::testing {
namespace {

struct Lengths {
    std::size_t a;
    std::size_t b;
};

const Lengths kLengths[] = {{32766, 32766}, {32766, 16383}, {16383, 16383}, {32766, 10},
                            {32766, 19},    {20000, 3000},  {9000, 8999},   {32766, 32000}};

TEST(KernelIdentity, SumMinusOperandGivesTheOtherOperand) {
    OperandMaker maker(31);
    for (const Lengths& l : kLengths) {
        const std::u16string a = maker.any(l.a);
        const std::u16string b = maker.any(l.b);
        const std::u16string sum = addMagnitudes(a, b);
        EXPECT_EQ(subtractMagnitudes(sum, b), a) << l.a << "+" << l.b;
        EXPECT_EQ(subtractMagnitudes(sum, a), b) << l.a << "+" << l.b;
        EXPECT_EQ(compareMagnitudes(sum, a), 1);
    }
}

TEST(KernelIdentity, DivisionUndoesMultiplication) {
    OperandMaker maker(32);
    for (const Lengths& l : kLengths) {
        const std::u16string a = maker.any(l.a / 2 + 1);
        const std::u16string b = maker.any(l.b / 2 + 1);
        const std::u16string product = multiplyMagnitudes(a, b);
        EXPECT_EQ(product, multiplyMagnitudes(b, a));
        const Division d = divideMagnitudes(product, b);
        EXPECT_EQ(d.quotient, a) << l.a << "x" << l.b;
        EXPECT_EQ(d.remainder, u"0") << l.a << "x" << l.b;
    }
}

TEST(KernelIdentity, QuotientAndRemainderRebuildTheDividend) {
    OperandMaker maker(33);
    for (const Lengths& l : kLengths) {
        const std::u16string a = maker.any(l.a);
        const std::u16string b = maker.any(l.b);
        const Division d = divideMagnitudes(a, b);
        EXPECT_EQ(compareMagnitudes(d.remainder, b), -1) << l.a << "/" << l.b;
        EXPECT_EQ(addMagnitudes(multiplyMagnitudes(d.quotient, b), d.remainder), a)
            << l.a << "/" << l.b;
    }
}

TEST(KernelIdentity, MultiplicationDistributesOverAddition) {
    OperandMaker maker(34);
    for (const Lengths& l : kLengths) {
        const std::u16string a = maker.any(l.a / 2 + 1);
        const std::u16string b = maker.any(l.b / 2 + 1);
        const std::u16string c = maker.any(1 + maker.below(l.b / 2 + 1));
        EXPECT_EQ(multiplyMagnitudes(a, addMagnitudes(b, c)),
                  addMagnitudes(multiplyMagnitudes(a, b), multiplyMagnitudes(a, c)))
            << l.a << "x" << l.b;
    }
}

}  // namespace
}  // namespace kestrum::aserv::kernel::testing
