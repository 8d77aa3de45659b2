#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "ball.h"
#include "function_oracle.h"

namespace kestrum::calc {
namespace {

using testing::ballOf;
using testing::OracleCase;

const std::vector<OracleCase> kArguments = {
    {"sin", 0, {"1"}},
    {"sin", 0, {"-2.5"}},
    {"sin", 0, {"3.14159265358979323846"}},
    {"sin", 0, {"1000000000000000000000000000000"}},
    {"sin", 0, {"-123456.789"}},
    {"sin", 0, {"0.000000000000000000000000000001"}},
    {"sin", 0, {"0.12345678901234567890123456789012345678901234567890"}},
    {"cos", 0, {"1.5707963"}},
    {"cos", 0, {"0.3"}},
    {"cos", 0, {"-7"}},
    {"cos", 0, {"1000000000000000000000000000000"}},
    {"cos", 0, {"355"}},
    {"tan", 0, {"0.5"}},
    {"tan", 0, {"1.5707963"}},
    {"tan", 0, {"-100"}},
    {"tan", 0, {"0.000000000000000000001"}},
    {"atan", 0, {"0.5"}},
    {"atan", 0, {"1"}},
    {"atan", 0, {"-3"}},
    {"atan", 0, {"0.43"}},
    {"atan", 0, {"1000000000000000000000"}},
    {"atan", 0, {"-0.0000000000000000000123"}},
    {"atan", 0, {"0.12345678901234567890123456789"}},
    {"atan", 0, {"7.1234567890123456789012345"}},
    {"asin", 0, {"0.5"}},
    {"asin", 0, {"-1"}},
    {"asin", 0, {"0.99999999999999"}},
    {"asin", 0, {"-0.000000000000000000001"}},
    {"asin", 0, {"0.70710678"}},
    {"acos", 0, {"0.5"}},
    {"acos", 0, {"-1"}},
    {"acos", 0, {"0.99999999999999"}},
    {"acos", 0, {"0"}},
    {"acos", 0, {"-0.123456789012345678901234567"}},
    {"atan2", 0, {"1", "3"}},
    {"atan2", 0, {"-1", "-3"}},
    {"atan2", 0, {"0", "-5"}},
    {"atan2", 0, {"5", "0"}},
    {"atan2", 0, {"-0.000001", "1"}},
    {"atan2", 0, {"123.456", "-0.001"}},
};

TEST(Trig, BallsHoldTheValueAtEachPrecision) {
    testing::expectOracleValues(kArguments, {30, 100, 1000});
}

// Arguments longer than the precision, each chunk of the series busy; the angles' first digits
// each side of 0.42 (where atan's first step turns to pi/4) and of a zero first chunk.
TEST(Trig, LongArgumentsHoldTheValue) {
    using testing::longDecimal;
    testing::expectOracleValues(
        {
            {"sin", 0, {longDecimal("1.4", 1200)}},
            {"cos", 0, {longDecimal("-100000.5", 1200)}},
            {"tan", 0, {longDecimal("0.7", 1200)}},
            {"atan", 0, {longDecimal("0.3", 1200)}},
            {"atan", 0, {longDecimal("0.419", 1200)}},
            {"atan", 0, {longDecimal("0.420", 1200)}},
            {"atan", 0, {longDecimal("-0.0009", 1200)}},
            {"atan", 0, {longDecimal("0.999", 1200)}},
            {"atan", 0, {longDecimal("-31.4", 1200)}},
            {"asin", 0, {longDecimal("0.5", 1200)}},
            {"asin", 0, {longDecimal("-0.99999999999999999999", 1200)}},
            {"acos", 0, {longDecimal("0.3", 1200)}},
            {"acos", 0, {longDecimal("0.00000000000000000000", 1200)}},
            {"atan2", 0, {longDecimal("0.3", 1200), longDecimal("-0.7", 1200)}},
        },
        {30, 100, 1000});
}

// sin and cos come together from one series per chunk, and tan takes both from one reduction:
// long arguments in each quarter of the turn, one whose first chunks are zero, and ones where
// sin or cos nearly vanishes and the digits they lack are added.
TEST(Trig, LongArgumentsInEachQuarterHoldTheValue) {
    using testing::longDecimal;
    testing::expectOracleValues(
        {
            {"tan", 0, {longDecimal("0.4487989505", 1200)}},
            {"tan", 0, {longDecimal("2.1", 1200)}},
            {"tan", 0, {longDecimal("-3.5", 1200)}},
            {"tan", 0, {longDecimal("4.9", 1200)}},
            {"tan", 0, {longDecimal("0.0000000012", 1200)}},
            {"tan", 0, {longDecimal("3.14159265358979323846264338", 1200)}},
            {"tan", 0, {longDecimal("1.57079632679489661923132169", 1200)}},
            {"sin", 0, {longDecimal("0.0000000012", 1200)}},
            {"sin", 0, {longDecimal("-1.99", 1200)}},
            {"cos", 0, {longDecimal("0.79", 1200)}},
            {"cos", 0, {longDecimal("1.57079632679489661923132169", 1200)}},
        },
        {30, 100, 1000});
}

// Up to 2 an argument with at most 12 decimals is summed as it is (one chunk); one more decimal
// sends it through the reduction by pi/2 and the chunks.
TEST(Trig, ArgumentsEachSideOfTheReductionThreshold) {
    testing::expectOracleValues(
        {
            {"sin", 0, {"1.999999999999"}},
            {"sin", 0, {"1.9999999999999"}},
            {"cos", 0, {"-1.234567890123"}},
            {"cos", 0, {"-1.2345678901234"}},
            {"tan", 0, {"0.800000000001"}},
            {"tan", 0, {"0.8000000000001"}},
        },
        {30, 100, 1000});
}

// The first turn takes two digits of the ratio: heads each side of 0.42, where it turns to
// pi/4 less the angle, and a zero head.
TEST(Trig, LongRatiosEachSideOfTheFirstTurn) {
    using testing::longDecimal;
    testing::expectOracleValues(
        {
            {"atan", 0, {longDecimal("0.41", 1200)}},
            {"atan", 0, {longDecimal("0.42", 1200)}},
            {"atan", 0, {longDecimal("0.0099", 1200)}},
            {"atan", 0, {longDecimal("0.01", 1200)}},
            {"asin", 0, {longDecimal("0.38", 1200)}},
            {"acos", 0, {longDecimal("0.91", 1200)}},
        },
        {30, 100, 1000});
}

TEST(Trig, WideArgumentsCoverTheirEnds) {
    testing::expectWideCasesCovered(
        {
            {"sin", "1", {1, -10}, "0.9999999999", "1.0000000001"},
            {"cos", "-3", {5, -2}, "-3.05", "-2.95"},
            {"tan", "1.5", {1, -3}, "1.499", "1.501"},
            {"atan", "2", {5, -1}, "1.5", "2.5"},
            {"asin", "0.999", {2, -3}, "0.997", "1"},
            {"acos", "-0.5", {1, -20}, "-0.50000000000000000001", "-0.49999999999999999999"},
            {"acos", "-0.9999", {1, -3}, "-1", "-0.9989"},
        },
        30);
}

TEST(Trig, SpecialValuesStayExact) {
    const Precision p{40};
    const struct {
        Ball result;
        const char* value;
    } exact[] = {
        {sin(ballOf("0"), p), "0"},
        {cos(ballOf("0"), p), "1"},
        {tan(ballOf("0"), p), "0"},
        {atan(ballOf("0"), p), "0"},
        {asin(ballOf("0"), p), "0"},
        {acos(ballOf("1"), p), "0"},
        {atan2(ballOf("0"), ballOf("2"), p), "0"},
    };
    for (const auto& e : exact) {
        EXPECT_TRUE(e.result.isExact());
        EXPECT_EQ(e.result.mid(), Decimal::fromText(e.value));
    }
}

TEST(Trig, UndecidableArgumentsAreRefused) {
    const Precision p{30};
    EXPECT_THROW(atan2(ballOf("0"), ballOf("0"), p), std::domain_error);
    EXPECT_THROW(tan(Ball(Decimal::fromText("1.5707963267948966"), Radius{1, -10}), p),
                 std::domain_error);
    // Across the negative x axis atan2 jumps from pi to -pi: the ball must hold both.
    const Ball across = atan2(Ball(Decimal{}, Radius{1, -5}), ballOf("-1"), p);
    EXPECT_TRUE(across.lower() <= Decimal::fromText("-3.1416"));
    EXPECT_TRUE(Decimal::fromText("3.1416") <= across.upper());
}

}  // namespace
}  // namespace kestrum::calc
