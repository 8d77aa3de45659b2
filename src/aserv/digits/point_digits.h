// Operands written as plain digits with at most one point: an optional "-" or "+", digits, and
// perhaps a point followed by more digits ("-123.456", "12.", ".5", "007.100", "42"). Such texts
// are read in one pass, without copies.
#pragma once

#include <cstddef>
#include <optional>

#include "text/text.h"

namespace kestrum::aserv {

struct PointDigits {
    bool negative = false;
    TextView integer;        // the digits before the point, leading zeros left out
    TextView fraction;       // the digits after the point, as written (empty without a point)
    bool point = false;      // whether the text has a point
    std::size_t before = 0;  // number of units before the point (the whole text without one)

    // Whether the value is zero (no digit other than "0").
    [[nodiscard]] bool zero() const;
};

// The operand read from `text`, or nothing when the text has another form (blanks, signs other
// than one leading "-" or "+", more points, other characters) or is longer than blank removal
// accepts.
std::optional<PointDigits> readPointDigits(TextView text);

}  // namespace kestrum::aserv
