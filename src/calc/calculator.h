// The calculator: formulas over decimal numbers, each value the exact value of the whole formula
// rounded once to a number of fraction digits in a rounding mode. Shared by `kestrum calc` and
// its prompt; variables and `ans` live as long as the Calculator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrum::calc {

struct FormulaNode;

enum class RoundingMode { kHalfUp, kHalfEven, kHalfDown, kUp, kDown, kCeiling, kFloor };

// The mode named as in the module (HALF_UP, HALF_EVEN, HALF_DOWN, UP, DOWN, CEILING, FLOOR), in
// any letter case; nothing for another name.
std::optional<RoundingMode> parseRoundingMode(std::string_view name);
std::string_view roundingModeName(RoundingMode mode);

// A formula that cannot be evaluated. The codes are the module's run-time error numbers: 5 a
// syntax error or an argument outside a function's domain, 6 a value too large, 11 a division by
// zero; and 18, as VBA's user interrupt, for an evaluation stopped by requestInterrupt()
// (interrupt.h). column is the 1-based position in the line the message is about (0 when none).
class CalcError : public std::runtime_error {
  public:
    CalcError(int code, std::size_t column, const std::string& message)
        : std::runtime_error(message), code_(code), column_(column) {}
    [[nodiscard]] int code() const { return code_; }
    [[nodiscard]] std::size_t column() const { return column_; }

  private:
    int code_;
    std::size_t column_;
};

class Calculator {
  public:
    static constexpr std::int64_t kDefaultPlaces = 20;
    static constexpr std::int64_t kMaxPlaces = 100'000;

    // places from 0 to kMaxPlaces; throws std::invalid_argument otherwise.
    void setPlaces(std::int64_t places);
    void setMode(RoundingMode mode) { mode_ = mode; }
    [[nodiscard]] std::int64_t places() const { return places_; }
    [[nodiscard]] RoundingMode mode() const { return mode_; }

    // One line: an expression gives its value (and becomes `ans`); `name = EXPR` assigns and
    // gives nothing; a line of blanks gives nothing. An assignment is evaluated at the current
    // places and mode too, so that its errors show at once. Throws CalcError; what() is the
    // whole message, ending in " at column N" when it names a column.
    std::optional<std::string> evaluateLine(std::string_view line);

    // The value last given, exactly as given; nothing before the first.
    [[nodiscard]] const std::optional<std::string>& ans() const { return ans_; }

  private:
    std::int64_t places_ = kDefaultPlaces;
    RoundingMode mode_ = RoundingMode::kHalfUp;
    // Each variable's formula, the variables it names already resolved: its exact value is
    // evaluated again to whatever precision a later formula needs. Keys in lower case.
    std::map<std::string, std::shared_ptr<const FormulaNode>, std::less<>> variables_;
    std::optional<std::string> ans_;
};

}  // namespace kestrum::calc
