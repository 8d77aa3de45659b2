#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ball.h"
#include "function_oracle.h"

namespace kestrum::calc {
namespace {

using testing::ballOf;
using testing::OracleCase;

const std::vector<OracleCase> kArguments = {
    {"exp", 0, {"1.5"}},
    {"exp", 0, {"-0.5"}},
    {"exp", 0, {"1"}},
    {"exp", 0, {"2.302585"}},
    {"exp", 0, {"-10"}},
    {"exp", 0, {"123.456"}},
    {"exp", 0, {"-80000"}},
    {"exp", 0, {"23000.5"}},
    {"exp", 0, {"0.0000000000000000000000000000012345"}},
    {"exp", 0, {"-0.99999999999999999999999"}},
    {"exp", 0, {"700.00000000000000000001"}},
    {"exp", 0, {"1.2345678901234567890123456789012345678901234567890123456789"}},
    {"ln", 0, {"2"}},
    {"ln", 0, {"10"}},
    {"ln", 0, {"0.05"}},
    {"ln", 0, {"3"}},
    {"ln", 0, {"1.0000000000000000000001"}},
    {"ln", 0, {"0.9999999"}},
    {"ln", 0, {"0.000000000000000000000000000000000000123"}},
    {"ln", 0, {"123456789012345678901234567890"}},
    {"ln", 0, {"2.718281828459045"}},
    {"ln", 0, {"0.31622776601683793319988935444327185337195551393252168268575048527925944386"}},
    {"ln", 0, {"5000"}},
    // Short arguments: series on small whole numbers, each side of the limits of that path.
    {"exp", 0, {"-123.456"}},
    {"exp", 0, {"24.999"}},
    {"exp", 0, {"599.999"}},
    {"exp", 0, {"-599.999"}},
    {"exp", 0, {"600.001"}},
    {"exp", 0, {"2.00000000000001"}},
    {"exp", 0, {"-0.000000000000001"}},
    {"exp", 0, {"-99999.25"}},
    {"ln", 0, {"0.7"}},
    {"ln", 0, {"123456.789"}},
    {"ln", 0, {"999999999999999"}},
    {"ln", 0, {"9999999999999999"}},
    {"ln", 0, {"1.00000000000001"}},
    {"ln", 0, {"0.99999999999999"}},
    {"ln", 0, {"3.125"}},
    {"ln", 0, {"0.000000000000000000000000000000000000007"}},
    {"ln", 0, {"70000000000000000000000000000000000000000"}},
};

TEST(ExpLn, BallsHoldTheValueAtEachPrecision) {
    testing::expectOracleValues(kArguments, {30, 100, 1000});
}

// Arguments longer than the precision go through the chunked series and Newton's iteration.
TEST(ExpLn, LongArgumentsHoldTheValue) {
    using testing::longDecimal;
    testing::expectOracleValues(
        {
            {"exp", 0, {longDecimal("3.1", 1200)}},
            {"exp", 0, {longDecimal("-123.4", 1200)}},
            {"ln", 0, {longDecimal("1.4", 1200)}},
            {"ln", 0, {longDecimal("1.0000000000000000000000000", 1200)}},
            {"ln", 0, {longDecimal("0.99999999999999999999", 1200)}},
            {"ln", 0, {longDecimal("123456.7", 1200)}},
        },
        {30, 100, 1000});
}

// ln's last step corrects to the fourth order from a quarter of the digits, exp joins its chunks
// as product + product * (exp(chunk) - 1): both ends of ln's reduced range, a value just off 1,
// and precisions where the iteration has from one to several levels before the last step.
TEST(ExpLn, LongArgumentsAtEveryLevelOfTheIteration) {
    using testing::longDecimal;
    testing::expectOracleValues(
        {
            {"ln", 0, {longDecimal("0.3162", 1200)}},
            {"ln", 0, {longDecimal("3.1622", 1200)}},
            {"ln", 0, {longDecimal("3.14159265358979", 1200)}},
            {"ln", 0, {longDecimal("1.000001", 1200)}},
            {"ln", 0, {longDecimal("0.000000789", 1200)}},
            {"exp", 0, {longDecimal("1.4142135623", 1200)}},
            {"exp", 0, {longDecimal("-0.0000001", 1200)}},
        },
        {5, 20, 60, 400, 1000});
}

// A ball argument: the result holds the function at both ends.
TEST(ExpLn, WideArgumentsCoverTheirEnds) {
    testing::expectWideCasesCovered(
        {
            {"exp", "1.5", {3, -20}, "1.49999999999999999997", "1.50000000000000000003"},
            {"exp", "-4", {5, -1}, "-4.5", "-3.5"},
            {"exp", "3", {2, 0}, "1", "5"},
            {"ln", "0.001", {1, -5}, "0.00099", "0.00101"},
            {"ln",
             "7",
             {1, -30},
             "6.999999999999999999999999999999",
             "7.000000000000000000000000000001"},
        },
        30);
}

TEST(ExpLn, SpecialValuesStayExact) {
    const Ball one = exp(ballOf("0"), Precision{50});
    EXPECT_TRUE(one.isExact());
    EXPECT_EQ(one.mid(), Decimal::fromText("1"));
    const Ball zero = ln(ballOf("1"), Precision{50});
    EXPECT_TRUE(zero.isExact());
    EXPECT_EQ(zero.mid(), Decimal::fromText("0"));
}

TEST(ExpLn, OutOfRangeAndDomain) {
    EXPECT_THROW(exp(ballOf("300000"), Precision{30}), std::range_error);
    EXPECT_THROW(exp(ballOf("240001"), Precision{30}), std::range_error);
    EXPECT_THROW(ln(ballOf("-2"), Precision{30}), std::domain_error);
    EXPECT_THROW(ln(Ball(Decimal::fromText("0.5"), Radius{1, 0}), Precision{30}),
                 std::domain_error);
    // Too small for a ball to keep away from zero, where its sign would be lost.
    EXPECT_THROW(exp(ballOf("-1000000000000000000"), Precision{30}), UnderflowError);
    EXPECT_EQ(exp(ballOf("-99999999999999999"), Precision{30}).sign(), 1);
}

}  // namespace
}  // namespace kestrum::calc
