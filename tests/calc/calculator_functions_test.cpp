#include <gtest/gtest.h>

#include <array>

#include "calculator.h"
#include "calculator_test_support.h"

namespace kestrum::calc {
namespace {

using testing::CalcErrorCase;
using testing::expectError;
using testing::expectValue;
using testing::ValueCase;

constexpr std::array<RoundingMode, 7> kModes{
    RoundingMode::kHalfUp, RoundingMode::kHalfEven, RoundingMode::kHalfDown, RoundingMode::kUp,
    RoundingMode::kDown,   RoundingMode::kCeiling,  RoundingMode::kFloor,
};

// Values that sit exactly on a rounding boundary, which no working precision can tell from its
// neighbours: at the precision limit each is taken as the boundary, in every mode.
TEST(CalculatorFunctions, ValuesOnABoundaryAreTheBoundaryInEveryMode) {
    struct Case {
        const char* formula;
        const char* value;
    };
    const Case cases[] = {
        {"sin(pi)", "0"},
        {"sqrt(2)^2", "2"},
        {"exp(ln(2))", "2"},
        {"cos(pi)", "-1"},
        {"tan(pi/4)", "1"},
        {"log(8, 2)", "3"},
        {"log10(1000)", "3"},
        {"root(2, 3)^3", "2"},
        {"sqrt(sin(pi))", "0"},
        {"sqrt(-sin(pi))", "0"},
        {"2^(1/3*3)", "2"},
        {"fact(sqrt(3)^2)", "6"},
        {"round(sqrt(2)^2, 0, up)", "2"},
        {"sin(pi - pi) + 8", "8"},
        {"cos(pi - pi) - 1", "0"},
    };
    for (const Case& c : cases) {
        for (RoundingMode mode : kModes) {
            expectValue({c.formula, 20, mode, c.value});
        }
    }
    // Equal to pi/2, pi and a midpoint: taken as those.
    for (RoundingMode mode : kModes) {
        expectValue({"asin(sin(pi/2)) * 2 - pi", 20, mode, "0"});
        expectValue({"atan2(sin(pi), -1) - pi", 20, mode, "0"});
    }
    expectValue({"1/8 + sin(pi)", 2, RoundingMode::kHalfEven, "0.12"});
    expectValue({"1/8 + sin(pi)", 2, RoundingMode::kHalfUp, "0.13"});
    expectValue({"-1/8 - sin(pi)", 2, RoundingMode::kHalfDown, "-0.12"});
}

TEST(CalculatorFunctions, Values) {
    const ValueCase cases[] = {
        {"pi", 20, RoundingMode::kHalfUp, "3.14159265358979323846"},
        {"E", 20, RoundingMode::kHalfUp, "2.71828182845904523536"},
        {"sqrt(2)", 20, RoundingMode::kHalfUp, "1.4142135623730950488"},
        {"sqrt(2)", 20, RoundingMode::kUp, "1.41421356237309504881"},
        {"root(2, 3)", 20, RoundingMode::kHalfUp, "1.25992104989487316477"},
        {"root(-8, 3)", 20, RoundingMode::kHalfUp, "-2"},
        {"log(3, 2)", 20, RoundingMode::kHalfUp, "1.58496250072115618145"},
        {"atan(1) * 4", 20, RoundingMode::kHalfUp, "3.14159265358979323846"},
        {"asin(1)", 20, RoundingMode::kHalfUp, "1.57079632679489661923"},
        {"acos(0.5)", 20, RoundingMode::kHalfUp, "1.04719755119659774615"},
        {"acos(-1)", 20, RoundingMode::kHalfUp, "3.14159265358979323846"},
        {"atan2(0, -1)", 20, RoundingMode::kHalfUp, "3.14159265358979323846"},
        {"tan(1)", 20, RoundingMode::kHalfUp, "1.55740772465490223051"},
        {"e^-1", 20, RoundingMode::kHalfUp, "0.3678794411714423216"},
        {"1.0000001^1000000", 20, RoundingMode::kHalfUp, "1.10517091254979341664"},
        {"exp(-80000)", 20, RoundingMode::kHalfUp, "0"},
        {"exp(-80000)", 20, RoundingMode::kUp, "0.00000000000000000001"},
        {"2^-(10^15)", 5, RoundingMode::kUp, "0.00001"},
        {"-(2^-(10^6))", 3, RoundingMode::kFloor, "-0.001"},
        {"10^-100001", 2, RoundingMode::kHalfUp, "0"},
        {"-exp(-80000)", 20, RoundingMode::kFloor, "-0.00000000000000000001"},
        {"exp(1000) - exp(1000) + 1", 20, RoundingMode::kHalfUp, "1"},
        {"abs(-sqrt(4))", 0, RoundingMode::kHalfUp, "2"},
    };
    for (const ValueCase& c : cases) {
        expectValue(c);
    }
}

TEST(CalculatorFunctions, DomainErrors) {
    const CalcErrorCase cases[] = {
        {"sqrt(-1)", 5, 1},
        {"1 + ln(0)", 5, 5},
        {"ln(-1)", 5, 1},
        {"ln(sin(pi))", 5, 1},
        {"log10(-2)", 5, 1},
        {"log(8, 1)", 5, 1},
        {"log(8, 0)", 5, 1},
        {"log(0, 2)", 5, 1},
        {"log(8, sqrt(1/3*3))", 5, 1},
        {"asin(2)", 5, 1},
        {"acos(-1.0000001)", 5, 1},
        {"atan2(0, 0)", 5, 1},
        {"atan2(sin(pi), sin(pi))", 5, 1},
        {"tan(pi/2)", 5, 1},
        {"root(-16, 4)", 5, 1},
        {"root(2, 0)", 5, 1},
        {"root(2, 2.5)", 5, 1},
        {"(-8)^(1/3)", 5, 5},
        {"(-2)^pi", 5, 5},
        {"exp(10^6)", 6, 1},
        {"2^(10^6)", 6, 2},
        {"1 + exp(-10^18)", 6, 5},
        {"0.001^(10^17)", 6, 6},
    };
    for (const CalcErrorCase& c : cases) {
        expectError(c);
    }
}

}  // namespace
}  // namespace kestrum::calc
