// Table rows for the calculator's tests: a formula with its value at some places in a mode, or
// the error it raises.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <exception>
#include <string>

#include "calculator.h"

namespace kestrum::calc::testing {

struct ValueCase {
    const char* formula;
    std::int64_t places;
    RoundingMode mode;
    const char* value;
};

struct CalcErrorCase {
    const char* formula;
    int code;
    std::size_t column;
};

inline void expectValue(const ValueCase& c) {
    Calculator calculator;
    calculator.setPlaces(c.places);
    calculator.setMode(c.mode);
    try {
        EXPECT_EQ(calculator.evaluateLine(c.formula).value_or("(nothing)"), c.value)
            << c.formula << " to " << c.places << " in " << roundingModeName(c.mode);
    } catch (const std::exception& error) {
        ADD_FAILURE() << c.formula << ": " << error.what();
    }
}

inline void expectError(Calculator& calculator, const char* line, const CalcErrorCase& c) {
    try {
        const auto value = calculator.evaluateLine(line);
        ADD_FAILURE() << line << " gave " << value.value_or("(nothing)");
    } catch (const CalcError& error) {
        EXPECT_EQ(error.code(), c.code) << line << ": " << error.what();
        EXPECT_EQ(error.column(), c.column) << line << ": " << error.what();
        const std::string columnText = " at column " + std::to_string(c.column);
        EXPECT_TRUE(std::string(error.what()).ends_with(columnText)) << error.what();
    } catch (const std::exception& error) {
        ADD_FAILURE() << line << ": " << error.what();
    }
}

inline void expectError(const CalcErrorCase& c) {
    Calculator calculator;
    expectError(calculator, c.formula, c);
}

}  // namespace kestrum::calc::testing
