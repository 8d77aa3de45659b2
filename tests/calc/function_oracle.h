// Reference values for the function tests from mpmath (run, with Debian's Python, as an oracle),
// and the check that a ball holds such a value and is as narrow as its precision promises.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ball.h"

namespace kestrum::calc::testing {

struct OracleCase {
    std::string function;  // exp, ln, sin, cos, tan, atan, asin, acos, atan2
    std::int64_t digits;
    std::vector<std::string> arguments;
};

// Whether Debian's Python is there to run the oracle.
bool oracleAvailable();

// One value per case in plain notation, to 40 digits beyond the case's (fewer lines when the
// oracle fails).
std::vector<std::string> oracleValues(const std::vector<OracleCase>& cases);

// The ball holds the value, and its radius is within 10^(3 - digits) of the value's size.
::testing::AssertionResult holdsTightly(const Ball& ball, const std::string& value,
                                        std::int64_t digits);

Ball ballOf(const std::string& text);

// A long exact argument: head, then `count` more digits that never repeat in a short period
// (those of 1, 2, 3, ... written one after another), as a formula's pi or 1/3 would pass on.
std::string longDecimal(const std::string& head, std::size_t count);

// The calculator's function named by the case, on the case's (exact) arguments.
Ball evaluate(const OracleCase& c, Precision p);

// Every case at every precision: the ball holds the oracle's value and is tight.
void expectOracleValues(const std::vector<OracleCase>& arguments,
                        const std::vector<std::int64_t>& precisions);

// A one-argument function on a ball whose ends are given: the result must hold the function's
// value at both ends (and so, for these monotone stretches, all between).
struct WideCase {
    std::string function;
    std::string mid;
    Radius radius;
    std::string lower;
    std::string upper;
};

void expectWideCasesCovered(const std::vector<WideCase>& wide, std::int64_t digits);

}  // namespace kestrum::calc::testing
