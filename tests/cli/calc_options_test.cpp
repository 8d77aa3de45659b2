#include "calc_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrum::cli {
namespace {

using calc::RoundingMode;

struct AcceptedCase {
    std::vector<std::string> args;
    std::int64_t places;
    RoundingMode mode;
    std::vector<std::string> expressions;
    bool help = false;
};

class CalcOptionsAccepted : public testing::TestWithParam<AcceptedCase> {};

TEST_P(CalcOptionsAccepted, ReadsOptionsThenExpressions) {
    const AcceptedCase& c = GetParam();
    const auto parsed = parseCalcArguments(c.args);
    const auto* options = std::get_if<CalcOptions>(&parsed);
    ASSERT_NE(options, nullptr) << std::get<CalcUsageError>(parsed).message;
    EXPECT_EQ(options->places, c.places);
    EXPECT_EQ(options->mode, c.mode);
    EXPECT_EQ(options->expressions, c.expressions);
    EXPECT_EQ(options->help, c.help);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CalcOptionsAccepted,
    testing::Values(
        AcceptedCase{{}, 20, RoundingMode::kHalfUp, {}},
        AcceptedCase{{"1+1", "2"}, 20, RoundingMode::kHalfUp, {"1+1", "2"}},
        AcceptedCase{{"-p", "5", "1/3"}, 5, RoundingMode::kHalfUp, {"1/3"}},
        AcceptedCase{{"--places", "0", "x"}, 0, RoundingMode::kHalfUp, {"x"}},
        AcceptedCase{{"-p7", "--places=100000"}, 100000, RoundingMode::kHalfUp, {}},
        AcceptedCase{{"-m", "floor", "-p", "3"}, 3, RoundingMode::kFloor, {}},
        AcceptedCase{{"--mode=Half_Even", "-mUP"}, 20, RoundingMode::kUp, {}},
        AcceptedCase{{"--mode", "CEILING", "1"}, 20, RoundingMode::kCeiling, {"1"}},
        // An expression may begin with - followed by a digit, a point or a parenthesis.
        AcceptedCase{{"-2+3", "-p", "4"}, 20, RoundingMode::kHalfUp, {"-2+3", "-p", "4"}},
        AcceptedCase{{"-p", "2", "-(1)", "-.5"}, 2, RoundingMode::kHalfUp, {"-(1)", "-.5"}},
        // -- ends the options once; a second one is an expression.
        AcceptedCase{{"--", "-pi", "--"}, 20, RoundingMode::kHalfUp, {"-pi", "--"}},
        AcceptedCase{{"-p", "1", "--", "-e"}, 1, RoundingMode::kHalfUp, {"-e"}},
        AcceptedCase{{"-"}, 20, RoundingMode::kHalfUp, {"-"}},
        AcceptedCase{{"-h"}, 20, RoundingMode::kHalfUp, {}, true},
        AcceptedCase{{"-p", "3", "--help", "1"}, 3, RoundingMode::kHalfUp, {"1"}, true}));

struct RefusedCase {
    std::vector<std::string> args;
    std::string message;
};

class CalcOptionsRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(CalcOptionsRefused, NamesWhatIsWrong) {
    const RefusedCase& c = GetParam();
    const auto parsed = parseCalcArguments(c.args);
    const auto* error = std::get_if<CalcUsageError>(&parsed);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->message, c.message);
}

const std::string kPlacesRange = "places must be a whole number from 0 to 100000, not ";

INSTANTIATE_TEST_SUITE_P(
    Cases, CalcOptionsRefused,
    testing::Values(
        RefusedCase{{"-p", "100001"}, kPlacesRange + "'100001'"},
        RefusedCase{{"--places=-1"}, kPlacesRange + "'-1'"},
        RefusedCase{{"-p", "+5"}, kPlacesRange + "'+5'"},
        RefusedCase{{"-p", "5x"}, kPlacesRange + "'5x'"},
        RefusedCase{{"-p", ""}, kPlacesRange + "''"},
        RefusedCase{{"-p", "99999999999999999999"}, kPlacesRange + "'99999999999999999999'"},
        // Without -- the p of -pi is read as the option and i as its value.
        RefusedCase{{"-pi"}, kPlacesRange + "'i'"}, RefusedCase{{"-p"}, "option -p needs a value"},
        RefusedCase{{"--mode"}, "option --mode needs a value"},
        RefusedCase{{"-m", "HALF"},
                    "unknown rounding mode 'HALF' (HALF_UP HALF_EVEN HALF_DOWN UP DOWN CEILING "
                    "FLOOR)"},
        RefusedCase{{"-e"},
                    "unknown option '-e' (write -- before an expression that begins "
                    "with -)"},
        RefusedCase{{"--precision=3", "1"},
                    "unknown option '--precision=3' (write -- before an "
                    "expression that begins with -)"}));

TEST(CalcOptions, PlacesAcceptsLeadingZerosUpToTheLimit) {
    EXPECT_EQ(parsePlaces("007"), 7);
    EXPECT_EQ(parsePlaces("0100000"), 100000);
    EXPECT_EQ(parsePlaces("100001"), std::nullopt);
    EXPECT_EQ(parsePlaces(" 5"), std::nullopt);
}

}  // namespace
}  // namespace kestrum::cli
