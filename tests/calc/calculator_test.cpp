#include "calculator.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>

#include "calculator_test_support.h"
#include "formula_parser.h"
#include "interrupt.h"

namespace kestrum::calc {
namespace {

using testing::CalcErrorCase;
using testing::expectError;
using testing::expectValue;
using testing::ValueCase;

TEST(Calculator, ArithmeticIsExactUntilTheOneRounding) {
    const ValueCase cases[] = {
        {"1/3", 20, RoundingMode::kHalfUp, "0.33333333333333333333"},
        {"2/3", 20, RoundingMode::kHalfUp, "0.66666666666666666667"},
        {"2/3", 20, RoundingMode::kDown, "0.66666666666666666666"},
        {"-2/3", 20, RoundingMode::kFloor, "-0.66666666666666666667"},
        {"-2/3", 20, RoundingMode::kCeiling, "-0.66666666666666666666"},
        {"1/8", 2, RoundingMode::kHalfEven, "0.12"},
        {"1/8", 2, RoundingMode::kHalfUp, "0.13"},
        {"1/8", 2, RoundingMode::kHalfDown, "0.12"},
        {"-1/8", 2, RoundingMode::kHalfUp, "-0.13"},
        {"3/8", 2, RoundingMode::kHalfEven, "0.38"},
        {"-0.0001", 2, RoundingMode::kHalfUp, "0"},
        {"-0.0001", 2, RoundingMode::kUp, "-0.01"},
        {"0.1 + 0.2", 20, RoundingMode::kHalfUp, "0.3"},
        {"1/7", 30, RoundingMode::kHalfUp, "0.142857142857142857142857142857"},
        {"(1 + 10^-50) - 1", 20, RoundingMode::kUp, "0.00000000000000000001"},
        {"(1 + 10^-50) - 1", 20, RoundingMode::kHalfUp, "0"},
        {"10^25 + 0.5", 0, RoundingMode::kHalfEven, "10000000000000000000000000"},
        {"10^25 + 0.5", 0, RoundingMode::kHalfUp, "10000000000000000000000001"},
        {"123456789012345678901234567890 * 10", 0, RoundingMode::kDown,
         "1234567890123456789012345678900"},
        {"-2^2", 0, RoundingMode::kHalfUp, "-4"},
        {"2^3^2", 0, RoundingMode::kHalfUp, "512"},
        {"2^-1", 5, RoundingMode::kHalfUp, "0.5"},
        {"(-2)^3", 0, RoundingMode::kHalfUp, "-8"},
        {"(-8)^-1", 5, RoundingMode::kHalfUp, "-0.125"},
        {"0^0", 0, RoundingMode::kHalfUp, "1"},
        {"0^3", 0, RoundingMode::kHalfUp, "0"},
        {"1.5^40", 3, RoundingMode::kHalfUp, "11057332.321"},
        {"(-8)^(1/3*3)", 0, RoundingMode::kHalfUp, "-8"},
    };
    for (const ValueCase& c : cases) {
        expectValue(c);
    }
}

TEST(Calculator, WholeNumberFunctionsAndRound) {
    const ValueCase cases[] = {
        {"fact(0)", 0, RoundingMode::kHalfUp, "1"},
        {"fact(25)", 0, RoundingMode::kHalfUp, "15511210043330985984000000"},
        {"fact(1/3*3 + 2)", 0, RoundingMode::kHalfUp, "6"},
        {"binom(100, 50)", 0, RoundingMode::kHalfUp, "100891344545564193334812497256"},
        {"binom(10, 11)", 0, RoundingMode::kHalfUp, "0"},
        {"binom(7, 0)", 0, RoundingMode::kHalfUp, "1"},
        {"gcd(0, 0) + lcm(4, 0)", 0, RoundingMode::kHalfUp, "0"},
        {"gcd(-12, 18) * 100 + lcm(-4, 6)", 0, RoundingMode::kHalfUp, "612"},
        {"quot(-7, 2)", 0, RoundingMode::kHalfUp, "-3"},
        {"mod(-7, 2)", 0, RoundingMode::kHalfUp, "-1"},
        {"quot(7, -2)", 0, RoundingMode::kHalfUp, "-3"},
        {"mod(7, -2)", 0, RoundingMode::kHalfUp, "1"},
        {"mod(fact(40) * 3 + 1, 7)", 0, RoundingMode::kHalfUp, "1"},
        {"mod(10^60 + 1/3*3, 10)", 0, RoundingMode::kHalfUp, "1"},
        {"round(1234.5, -2)", 0, RoundingMode::kHalfUp, "1200"},
        {"round(2.5, 0)", 0, RoundingMode::kHalfUp, "3"},
        {"round(2.5, 0, half_even)", 0, RoundingMode::kHalfUp, "2"},
        {"round(-2.5, 0, FLOOR)", 0, RoundingMode::kHalfUp, "-3"},
        {"round(1/3, 2) * 3", 5, RoundingMode::kHalfUp, "0.99"},
        {"round(1/3*3, 0, floor)", 0, RoundingMode::kHalfUp, "1"},
        {"round(2/3, 30) * 10^30", 1, RoundingMode::kHalfUp, "666666666666666666666666666667"},
    };
    for (const ValueCase& c : cases) {
        expectValue(c);
    }
}

TEST(Calculator, ErrorsGiveTheModulesNumbersAndColumns) {
    const CalcErrorCase cases[] = {
        {"1/0", 11, 2},
        {"2 * (1/0)", 11, 7},
        {"1/(1/3*3 - 1)", 11, 2},
        {"quot(1, 0)", 11, 1},
        {"1 + mod(5, 0)", 11, 5},
        {"fact(2.5)", 5, 1},
        {"fact(-1)", 5, 1},
        {"fact(1/3)", 5, 1},
        {"binom(-1, 2)", 5, 1},
        {"binom(3, -1)", 5, 1},
        {"gcd(1.5, 2)", 5, 1},
        {"quot(1, 0.5)", 5, 1},
        {"round(1, 0.5)", 5, 1},
        {"0^-1", 5, 2},
        {"0^-0.5", 5, 2},
        {"(-8)^0.5", 5, 5},
        {"10^100001", 6, 3},
        {"10^100000 * 10", 6, 11},
        {"fact(25206)", 6, 1},
        {"binom(10^6, 5*10^5)", 6, 1},
        {"2 +", 5, 4},
    };
    for (const CalcErrorCase& c : cases) {
        expectError(c);
    }
    // The largest value allowed.
    Calculator calculator;
    EXPECT_EQ(calculator.evaluateLine("10^100000")->size(), 100'001U);
}

TEST(Calculator, TheDeepestFormulasEvaluate) {
    Calculator calculator;
    const std::string negations = std::string(kMaxFormulaDepth - 3, '-') + "sqrt(4)";
    std::string chain = "1/3";
    for (std::size_t i = 3; i < kMaxFormulaDepth; ++i) {
        chain += "+1/3";
    }
    EXPECT_EQ(calculator.evaluateLine(negations), "-2");
    const std::string thirds = std::to_string(kMaxFormulaDepth - 2) + "/3";
    EXPECT_EQ(calculator.evaluateLine(chain), calculator.evaluateLine(thirds));
}

TEST(Calculator, VariablesHoldExactValues) {
    Calculator calculator;
    EXPECT_EQ(calculator.evaluateLine("third = 1/3"), std::nullopt);
    EXPECT_EQ(calculator.evaluateLine("THIRD * 3"), "1");
    calculator.setPlaces(30);
    EXPECT_EQ(calculator.evaluateLine("Third"), "0.333333333333333333333333333333");
    EXPECT_EQ(calculator.evaluateLine("x = 2"), std::nullopt);
    EXPECT_EQ(calculator.evaluateLine("x = x + 1"), std::nullopt);
    EXPECT_EQ(calculator.evaluateLine("x"), "3");
    // A failed assignment leaves no variable.
    EXPECT_THROW(calculator.evaluateLine("bad = 1/0"), CalcError);
    expectError(calculator, "bad", {"bad", 5, 1});
    expectError(calculator, " sqrt = 2", {"", 5, 2});
}

TEST(Calculator, AnInterruptStopsTheNextEvaluationOnly) {
    Calculator calculator;
    requestInterrupt();
    try {
        calculator.evaluateLine("1 + 1");
        ADD_FAILURE() << "an interrupted evaluation gave a value";
    } catch (const CalcError& error) {
        EXPECT_EQ(error.code(), 18);
    }
    EXPECT_EQ(calculator.evaluateLine("1 + 1"), "2");
    EXPECT_FALSE(takeInterrupt());
}

TEST(Calculator, AnsIsTheValueLastGiven) {
    Calculator calculator;
    expectError(calculator, "1 + ans", {"", 5, 5});
    calculator.setPlaces(2);
    EXPECT_EQ(calculator.evaluateLine("1/3"), "0.33");
    EXPECT_EQ(calculator.evaluateLine("ANS * 3"), "0.99");
    EXPECT_EQ(calculator.evaluateLine("y = 5"), std::nullopt);
    EXPECT_EQ(calculator.evaluateLine("  "), std::nullopt);
    EXPECT_EQ(calculator.ans(), "0.99");
    calculator.setMode(RoundingMode::kUp);
    EXPECT_EQ(calculator.evaluateLine("ans / 4"), "0.25");
}

TEST(Calculator, PlacesAndModeNames) {
    Calculator calculator;
    EXPECT_THROW(calculator.setPlaces(-1), std::invalid_argument);
    EXPECT_THROW(calculator.setPlaces(Calculator::kMaxPlaces + 1), std::invalid_argument);
    calculator.setPlaces(Calculator::kMaxPlaces);
    EXPECT_EQ(calculator.places(), Calculator::kMaxPlaces);
    const std::array<const char*, 7> names{"HALF_UP", "HALF_EVEN", "HALF_DOWN", "UP",
                                           "DOWN",    "CEILING",   "FLOOR"};
    for (const char* name : names) {
        const auto mode = parseRoundingMode(name);
        ASSERT_TRUE(mode) << name;
        EXPECT_EQ(roundingModeName(*mode), name);
    }
    EXPECT_EQ(parseRoundingMode("half_Even"), RoundingMode::kHalfEven);
    EXPECT_EQ(parseRoundingMode("half-even"), std::nullopt);
    EXPECT_EQ(parseRoundingMode(""), std::nullopt);
}

}  // namespace
}  // namespace kestrum::calc
