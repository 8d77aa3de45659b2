#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ball.h"
#include "function_oracle.h"

namespace kestrum::calc {
namespace {

using testing::ballOf;
using testing::holdsTightly;
using testing::OracleCase;

struct Argument {
    const char* function;
    const char* value;
};

const Argument kArguments[] = {
    {"exp", "1.5"},
    {"exp", "-0.5"},
    {"exp", "1"},
    {"exp", "2.302585"},
    {"exp", "-10"},
    {"exp", "123.456"},
    {"exp", "-80000"},
    {"exp", "23000.5"},
    {"exp", "0.0000000000000000000000000000012345"},
    {"exp", "-0.99999999999999999999999"},
    {"exp", "700.00000000000000000001"},
    {"exp", "1.2345678901234567890123456789012345678901234567890123456789"},
    {"ln", "2"},
    {"ln", "10"},
    {"ln", "0.05"},
    {"ln", "3"},
    {"ln", "1.0000000000000000000001"},
    {"ln", "0.9999999"},
    {"ln", "0.000000000000000000000000000000000000123"},
    {"ln", "123456789012345678901234567890"},
    {"ln", "2.718281828459045"},
    {"ln", "0.31622776601683793319988935444327185337195551393252168268575048527925944386"},
    {"ln", "5000"},
};

const std::int64_t kDigits[] = {30, 100, 1000};

Ball evaluate(const std::string& function, const Ball& x, Precision p) {
    return function == "exp" ? exp(x, p) : ln(x, p);
}

TEST(ExpLn, BallsHoldTheValueAtEachPrecision) {
    std::vector<OracleCase> cases;
    for (const std::int64_t digits : kDigits) {
        for (const Argument& a : kArguments) {
            cases.push_back({a.function, digits, {a.value}});
        }
    }
    if (!testing::oracleAvailable()) {
        GTEST_SKIP() << "no Python for the oracle";
    }
    const std::vector<std::string> values = testing::oracleValues(cases);
    ASSERT_EQ(values.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const OracleCase& c = cases[i];
        const std::string call =
            c.function + "(" + c.arguments[0] + ") at " + std::to_string(c.digits);
        try {
            const Ball result = evaluate(c.function, ballOf(c.arguments[0]), Precision{c.digits});
            EXPECT_TRUE(holdsTightly(result, values[i], c.digits)) << call;
        } catch (const std::exception& error) {
            ADD_FAILURE() << call << " threw " << error.what();
        }
    }
}

// A ball argument: the result holds the function at both ends.
TEST(ExpLn, WideArgumentsCoverTheirEnds) {
    struct WideCase {
        const char* function;
        const char* mid;
        Radius radius;
        const char* lower;
        const char* upper;
    };
    const WideCase wide[] = {
        {"exp", "1.5", {3, -20}, "1.49999999999999999997", "1.50000000000000000003"},
        {"exp", "-4", {5, -1}, "-4.5", "-3.5"},
        {"exp", "3", {2, 0}, "1", "5"},
        {"ln", "0.001", {1, -5}, "0.00099", "0.00101"},
        {"ln",
         "7",
         {1, -30},
         "6.999999999999999999999999999999",
         "7.000000000000000000000000000001"},
    };
    std::vector<OracleCase> cases;
    for (const WideCase& w : wide) {
        cases.push_back({w.function, 30, {w.lower}});
        cases.push_back({w.function, 30, {w.upper}});
    }
    if (!testing::oracleAvailable()) {
        GTEST_SKIP() << "no Python for the oracle";
    }
    const std::vector<std::string> values = testing::oracleValues(cases);
    ASSERT_EQ(values.size(), cases.size());
    for (std::size_t i = 0; i < std::size(wide); ++i) {
        const WideCase& w = wide[i];
        const Ball result =
            evaluate(w.function, Ball(Decimal::fromText(w.mid), w.radius), Precision{30});
        for (const std::string& end : {values[2 * i], values[2 * i + 1]}) {
            const Decimal value = Decimal::fromText(end);
            EXPECT_TRUE(result.lower() <= value && value <= result.upper())
                << w.function << "(" << w.mid << ") misses " << end;
        }
    }
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
    // Far below every precision: a ball of tiny positive numbers around zero.
    const Ball tiny = exp(ballOf("-1000000000000000000"), Precision{30});
    EXPECT_TRUE(tiny.lower() <= Decimal::fromText("0"));
    EXPECT_LT(tiny.radius().magnitude(), -1'000'000);
}

}  // namespace
}  // namespace kestrum::calc
