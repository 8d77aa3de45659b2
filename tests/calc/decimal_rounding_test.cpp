#include "decimal_rounding.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace kestrum::calc {
namespace {

constexpr std::array<RoundingMode, 7> kModes{
    RoundingMode::kUp,     RoundingMode::kDown,     RoundingMode::kCeiling,  RoundingMode::kFloor,
    RoundingMode::kHalfUp, RoundingMode::kHalfDown, RoundingMode::kHalfEven,
};

struct RoundingCase {
    const char* value;
    std::int64_t places;
    // In the order of kModes: UP DOWN CEILING FLOOR HALF_UP HALF_DOWN HALF_EVEN.
    std::array<const char*, 7> rounded;
};

TEST(DecimalRounding, EveryModeRoundsAsDefined) {
    const RoundingCase cases[] = {
        {"5.5", 0, {"6", "5", "6", "5", "6", "5", "6"}},
        {"2.5", 0, {"3", "2", "3", "2", "3", "2", "2"}},
        {"1.6", 0, {"2", "1", "2", "1", "2", "2", "2"}},
        {"1.1", 0, {"2", "1", "2", "1", "1", "1", "1"}},
        {"1.0", 0, {"1", "1", "1", "1", "1", "1", "1"}},
        {"-1.1", 0, {"-2", "-1", "-1", "-2", "-1", "-1", "-1"}},
        {"-1.6", 0, {"-2", "-1", "-1", "-2", "-2", "-2", "-2"}},
        {"-2.5", 0, {"-3", "-2", "-2", "-3", "-3", "-2", "-2"}},
        {"-5.5", 0, {"-6", "-5", "-5", "-6", "-6", "-5", "-6"}},
        {"0.125", 2, {"0.13", "0.12", "0.13", "0.12", "0.13", "0.12", "0.12"}},
        {"0.135", 2, {"0.14", "0.13", "0.14", "0.13", "0.14", "0.13", "0.14"}},
        {"-0.001", 2, {"-0.01", "0", "0", "-0.01", "0", "0", "0"}},
        {"0.0000000000000000000000001",
         20,
         {"0.00000000000000000001", "0", "0.00000000000000000001", "0", "0", "0", "0"}},
        {"0.5000000000000000000000000000001", 0, {"1", "0", "1", "0", "1", "1", "1"}},
        {"0.4999999999999999999999999999999", 0, {"1", "0", "1", "0", "0", "0", "0"}},
        {"9.995", 2, {"10", "9.99", "10", "9.99", "10", "9.99", "10"}},
        {"1234.5", -2, {"1300", "1200", "1300", "1200", "1200", "1200", "1200"}},
        {"-1250", -2, {"-1300", "-1200", "-1200", "-1300", "-1300", "-1200", "-1200"}},
        {"123.4", 5, {"123.4", "123.4", "123.4", "123.4", "123.4", "123.4", "123.4"}},
        {"0", 3, {"0", "0", "0", "0", "0", "0", "0"}},
    };
    for (const RoundingCase& c : cases) {
        for (std::size_t m = 0; m < kModes.size(); ++m) {
            EXPECT_EQ(roundToPlaces(Decimal::fromText(c.value), c.places, kModes[m]).toString(),
                      c.rounded[m])
                << c.value << " to " << c.places << " in " << roundingModeName(kModes[m]);
        }
    }
}

struct BallCase {
    const char* mid;
    Radius radius;
    std::int64_t places;
    RoundingMode mode;
    const char* decided;   // "" when the ends round differently
    const char* boundary;  // the rounded boundary taken at the limit
};

TEST(DecimalRounding, BallsRoundWhenTheirEndsAgreeOrTakeTheBoundary) {
    const BallCase cases[] = {
        {"1.23", {1, -3}, 2, RoundingMode::kHalfUp, "1.23", "1.23"},
        {"1.23", {1, -3}, 2, RoundingMode::kDown, "", "1.23"},
        {"1.23", {1, -3}, 2, RoundingMode::kUp, "", "1.23"},
        {"0.125", {1, -6}, 2, RoundingMode::kHalfEven, "", "0.12"},
        {"0.125", {1, -6}, 2, RoundingMode::kHalfUp, "", "0.13"},
        {"0.125", {1, -6}, 2, RoundingMode::kHalfDown, "", "0.12"},
        {"-0.125", {1, -6}, 2, RoundingMode::kHalfUp, "", "-0.13"},
        {"0.00000000000000000000000000001", {1, -25}, 20, RoundingMode::kUp, "", "0"},
        {"0.00000000000000000000000000001", {1, -25}, 20, RoundingMode::kCeiling, "", "0"},
        {"0.00000000000000000000000000001", {1, -25}, 20, RoundingMode::kHalfUp, "0", "0"},
        {"2", {3, -70}, 20, RoundingMode::kFloor, "", "2"},
        {"1.9999999999999999999999", {1, -21}, 20, RoundingMode::kHalfUp, "2", "2"},
    };
    for (const BallCase& c : cases) {
        const Ball ball(Decimal::fromText(c.mid), c.radius);
        const auto decided = roundBall(ball, c.places, c.mode, false);
        EXPECT_EQ(decided ? decided->toString() : "", c.decided) << c.mid;
        EXPECT_EQ(roundBall(ball, c.places, c.mode, true)->toString(), c.boundary) << c.mid;
    }
}

}  // namespace
}  // namespace kestrum::calc
