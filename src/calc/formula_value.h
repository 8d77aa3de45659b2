// The value of a formula rounded once to a number of fraction digits: evaluated on balls with
// guard digits 10, 20, 40, ... beyond what the places and the value's magnitude need, until both
// ends of the result round alike. Once the guard digits reach max(60, places) (the precision
// limit), a result still straddling a rounding boundary is taken to be that boundary, and the
// evaluator takes boundary values for its own undecided decisions.
#pragma once

#include <cstdint>

#include "ball.h"
#include "formula.h"

namespace kestrum::calc {

// Throws CalcError.
Decimal roundedFormulaValue(const FormulaNode& formula, std::int64_t places, RoundingMode mode);

}  // namespace kestrum::calc
