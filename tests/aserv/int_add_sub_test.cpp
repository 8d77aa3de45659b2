#include "int_add_sub.h"

#include <gtest/gtest.h>

#include <random>

#include "general/int_add_sub.h"
#include "int_comp.h"
#include "test_support.h"

namespace kestrum::aserv {
namespace {

using support::BinaryCase;
using support::fails;
using support::ok;
using support::run;

// ---- Addition

class IntAddTest : public testing::TestWithParam<BinaryCase> {};

TEST_P(IntAddTest, GivesTheDocumentedResult) {
    support::expectOutcome(intAdd, general::intAdd, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    SameSign, IntAddTest,
    testing::Values(BinaryCase{u"12", u"30", ok(u"42")}, BinaryCase{u"99", u"1", ok(u"100")},
                    BinaryCase{u"999", u"999", ok(u"1998")}, BinaryCase{u"-5", u"-7", ok(u"-12")},
                    BinaryCase{u"-1", u"-99", ok(u"-100")}, BinaryCase{u"007", u"1", ok(u"8")},
                    BinaryCase{u"-007", u"-3", ok(u"-10")}, BinaryCase{u"00", u"000", ok(u"0")},
                    BinaryCase{u"-0", u"-0", ok(u"0")}, BinaryCase{u"-000", u"-0", ok(u"0")},
                    BinaryCase{u"", u"", ok(u"0")}, BinaryCase{u"-", u"-", ok(u"0")},
                    BinaryCase{u"", u"5", ok(u"5")}, BinaryCase{u"+", u"5", ok(u"5")},
                    BinaryCase{u" 1 2 ", u"3", ok(u"15")}, BinaryCase{u"+5", u"+5", ok(u"10")},
                    BinaryCase{u"-+5", u"3", ok(u"8")}, BinaryCase{u"3", u"-+5", ok(u"8")}));

INSTANTIATE_TEST_SUITE_P(
    MixedSigns, IntAddTest,
    testing::Values(BinaryCase{u"5", u"-3", ok(u"2")}, BinaryCase{u"-5", u"3", ok(u"-2")},
                    BinaryCase{u"3", u"-5", ok(u"-2")}, BinaryCase{u"-3", u"5", ok(u"2")},
                    BinaryCase{u"5", u"-5", ok(u"0")}, BinaryCase{u"-5", u"5", ok(u"0")},
                    BinaryCase{u"-0", u"0", ok(u"0")}, BinaryCase{u"-10", u"10", ok(u"0")},
                    BinaryCase{u"-1000", u"1", ok(u"-999")},
                    BinaryCase{u"1", u"-1000", ok(u"-999")}, BinaryCase{u"-", u"5", ok(u"5")},
                    // A zero second magnitude hands the first one back as written.
                    BinaryCase{u"-007", u"0", ok(u"-007")}, BinaryCase{u"007", u"-0", ok(u"007")},
                    BinaryCase{u"- 0 07", u"+00", ok(u"-007")},
                    // "+-5" has the sign 1 and the magnitude "-5": the sum is -(3 - -5).
                    BinaryCase{u"+-5", u"-3", ok(u"-8")},
                    // A lone "-" is an empty magnitude; the other one comes back as written.
                    BinaryCase{u"-", u"007", ok(u"007")}));

INSTANTIATE_TEST_SUITE_P(NonDigits, IntAddTest,
                         testing::Values(BinaryCase{u"+-5", u"3", fails(kNonDigitInAddition)},
                                         BinaryCase{u"1a", u"1", fails(kNonDigitInAddition)},
                                         BinaryCase{u"1", u"a1", fails(kNonDigitInAddition)},
                                         BinaryCase{u"-1a", u"-1", fails(kNonDigitInAddition)},
                                         BinaryCase{u"1.5", u"2", fails(kNonDigitInAddition)},
                                         BinaryCase{u"1\t", u"2", fails(kNonDigitInAddition)},
                                         // Outside ASCII nothing is a digit, whatever its low byte.
                                         BinaryCase{u"1\u0135", u"1", fails(kNonDigitInAddition)},
                                         BinaryCase{u"\u0661", u"1", fails(kNonDigitInAddition)},
                                         // Mixed signs: the subtraction of the magnitudes finds it.
                                         BinaryCase{u"5", u"-x", fails(kNonDigitInSubtraction)},
                                         BinaryCase{u"-12a", u"5", fails(kNonDigitInSubtraction)}));

// ---- Subtraction

class IntSubTest : public testing::TestWithParam<BinaryCase> {};

TEST_P(IntSubTest, GivesTheDocumentedResult) {
    support::expectOutcome(intSub, general::intSub, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    SameSign, IntSubTest,
    testing::Values(BinaryCase{u"12", u"5", ok(u"7")}, BinaryCase{u"5", u"12", ok(u"-7")},
                    BinaryCase{u"-5", u"-12", ok(u"7")}, BinaryCase{u"-12", u"-5", ok(u"-7")},
                    BinaryCase{u"1000", u"999", ok(u"1")}, BinaryCase{u"1000", u"1", ok(u"999")},
                    BinaryCase{u"-1", u"-10", ok(u"9")}, BinaryCase{u"0", u"5", ok(u"-5")},
                    BinaryCase{u"", u"5", ok(u"-5")}, BinaryCase{u"007", u"5", ok(u"2")},
                    BinaryCase{u"5", u"007", ok(u"-2")}, BinaryCase{u"1 2 3", u"3", ok(u"120")},
                    BinaryCase{u"+7", u"5", ok(u"2")}, BinaryCase{u"-+5", u"3", ok(u"2")}));

INSTANTIATE_TEST_SUITE_P(
    EqualOrZeroSecond, IntSubTest,
    testing::Values(BinaryCase{u"5", u"5", ok(u"0")}, BinaryCase{u"007", u"7", ok(u"0")},
                    BinaryCase{u"-5", u"-5", ok(u"0")}, BinaryCase{u"+5", u"5", ok(u"0")},
                    BinaryCase{u"", u"", ok(u"0")}, BinaryCase{u"abc", u"abc", ok(u"0")},
                    // A zero a2 hands a1 back as blank removal left it.
                    BinaryCase{u"007", u"0", ok(u"007")}, BinaryCase{u"+5", u"0", ok(u"+5")},
                    BinaryCase{u"-0", u"0", ok(u"-0")}, BinaryCase{u" 0 07", u"+00", ok(u"007")},
                    BinaryCase{u"5", u"", ok(u"5")}, BinaryCase{u"5", u"-", ok(u"5")},
                    BinaryCase{u"abc", u"0", ok(u"abc")}));

INSTANTIATE_TEST_SUITE_P(MixedSigns, IntSubTest,
                         testing::Values(BinaryCase{u"5", u"-12", ok(u"17")},
                                         BinaryCase{u"-5", u"12", ok(u"-17")},
                                         BinaryCase{u"0", u"-0", ok(u"0")},
                                         BinaryCase{u"-0", u"5", ok(u"-5")},
                                         BinaryCase{u"999", u"-1", ok(u"1000")}));

INSTANTIATE_TEST_SUITE_P(NonDigits, IntSubTest,
                         testing::Values(BinaryCase{u"12a", u"5", fails(kNonDigitInSubtraction)},
                                         BinaryCase{u"0", u"x", fails(kNonDigitInSubtraction)},
                                         BinaryCase{u"5", u"1.0", fails(kNonDigitInSubtraction)},
                                         BinaryCase{u"1\u0135", u"1",
                                                    fails(kNonDigitInSubtraction)},
                                         BinaryCase{u"--5", u"-3", fails(kNonDigitInSubtraction)},
                                         // Mixed signs: the addition of the magnitudes finds it.
                                         BinaryCase{u"12a", u"-5", fails(kNonDigitInAddition)}));

// ---- The result variable as an operand

TEST(IntAddSubAliasing, ResultMayBeAnOperand) {
    for (const bool entry : {true, false}) {
        SCOPED_TRACE(entry ? "entry point" : "general path");
        const auto add = entry ? intAdd : general::intAdd;
        const auto sub = entry ? intSub : general::intSub;
        Text s = u"12";
        add(s, u"30", s);
        EXPECT_EQ(s, u"42");
        s = u"12";
        add(u"-30", s, s);
        EXPECT_EQ(s, u"-18");
        s = u"12";
        add(s, s, s);
        EXPECT_EQ(s, u"24");
        s = u"12";
        sub(s, u"5", s);
        EXPECT_EQ(s, u"7");
        s = u"12";
        sub(u"5", s, s);
        EXPECT_EQ(s, u"-7");
        s = u"12";
        sub(s, s, s);
        EXPECT_EQ(s, u"0");
        // A failing call leaves the variable as it was.
        s = u"12a";
        EXPECT_THROW(sub(s, u"5", s), AServError);
        EXPECT_EQ(s, u"12a");
    }
}

// ---- Long carries and borrows, and the 16-bit length limits

TEST(IntAddSubLong, CarriesAndBorrowsRunAcrossThousandsOfDigits) {
    const Text nines(5000, u'9');
    const Text power = u"1" + Text(5000, u'0');
    EXPECT_EQ(run(intAdd, nines, u"1"), ok(power));
    EXPECT_EQ(run(intAdd, u"-" + nines, u"-1"), ok(u"-" + power));
    EXPECT_EQ(run(intSub, power, u"1"), ok(nines));
    EXPECT_EQ(run(intAdd, u"1", u"-" + power), ok(u"-" + nines));
    EXPECT_EQ(run(intSub, u"1", power), ok(u"-" + nines));
    EXPECT_EQ(run(intSub, power, nines), ok(u"1"));
    EXPECT_EQ(run(general::intSub, power, u"1"), ok(nines));
}

TEST(IntAddSubLimits, OperandsOf32767CharactersFail) {
    const Text longest(32766, u'1');
    const Text tooLong(32767, u'1');
    Text withBlank(32766, u'1');
    withBlank.push_back(u' ');
    for (const auto op : {intAdd, general::intAdd, intSub, general::intSub}) {
        EXPECT_EQ(run(op, tooLong, u"1"), fails(kOverflow));
        EXPECT_EQ(run(op, u"1", tooLong), fails(kOverflow));
        EXPECT_EQ(run(op, withBlank, u"1"), fails(kOverflow));
        EXPECT_EQ(run(op, u"-1", Text(40000, u'2')), fails(kOverflow));
        EXPECT_EQ(run(op, longest, u"0").error, 0);
    }
    EXPECT_EQ(run(intAdd, longest, u"1"), ok(Text(32765, u'1') + u"2"));
    EXPECT_EQ(run(intSub, u"-" + Text(32765, u'1'), u"-1"), ok(u"-" + Text(32764, u'1') + u"0"));
}

TEST(IntAddSubLimits, SumLongerThan32766IsDeliveredButFailsAsAnOperand) {
    const Text power = u"1" + Text(32766, u'0');
    for (const auto add : {intAdd, general::intAdd}) {
        EXPECT_EQ(run(add, Text(32766, u'9'), u"1"), ok(power));
        EXPECT_EQ(run(add, u"-" + Text(32765, u'9'), u"-1"), ok(u"-1" + Text(32765, u'0')));
    }
    for (const auto sub : {intSub, general::intSub}) {
        EXPECT_EQ(run(sub, Text(32766, u'9'), u"-1"), ok(power));
        EXPECT_EQ(run(sub, u"-1", Text(32766, u'9')), ok(u"-" + power));
        EXPECT_EQ(run(sub, power, u"1"), fails(kOverflow));
    }
    EXPECT_EQ(run(intAdd, power, u"0"), fails(kOverflow));
}

// ---- Properties on random operands

TEST(IntAddSubProperties, AgreeWithReferenceArithmetic) {
    std::mt19937 rng(20240611);
    for (int i = 0; i < 1500; ++i) {
        const bool small = i % 3 == 0;
        const auto x = support::randomInteger(rng, small ? 4 : 300, true);
        const auto y = support::randomInteger(rng, small ? 4 : 300, true);
        SCOPED_TRACE(support::narrow(x.text) + " and " + support::narrow(y.text));
        const Text sum = support::canonical(support::add(x.value, y.value));
        const Text difference = support::canonical(support::subtract(x.value, y.value));
        ASSERT_EQ(run(intAdd, x.text, y.text), ok(sum));
        ASSERT_EQ(run(general::intAdd, x.text, y.text), ok(sum));
        ASSERT_EQ(run(intAdd, y.text, x.text), ok(sum));
        ASSERT_EQ(run(intSub, x.text, y.text), ok(difference));
        ASSERT_EQ(run(general::intSub, x.text, y.text), ok(difference));
        // (x + y) - y gives x back in canonical form.
        ASSERT_EQ(run(intSub, sum, y.text), ok(support::canonical(x.value)));
        // The comparison agrees with the sign of the difference.
        std::int16_t order = 7;
        intComp(x.text, y.text, order);
        ASSERT_EQ(order, difference == u"0" ? 0 : (difference[0] == u'-' ? -1 : 1));
    }
}

}  // namespace
}  // namespace kestrum::aserv
