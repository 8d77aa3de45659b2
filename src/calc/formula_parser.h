// Parses a formula line into its syntax tree. Precedence, low to high: + -; * /; unary minus and
// plus; ^ (right-associative, its exponent may start with a unary minus). Syntax errors throw
// CalcError 5 naming the 1-based column of the offending token, or the column just past the
// last character when the line ends too early.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "formula.h"

namespace kestrum::calc {

// The formula of a name that is neither a function nor a constant (a variable, `ans`), given in
// lower case with the column it stands at; null for an unknown name. It may throw CalcError.
using NameResolver = std::function<FormulaPtr(std::string_view name, std::size_t column)>;

struct ParsedLine {
    std::string assignedName;  // lower case, for `name = formula`; empty otherwise
    std::size_t nameColumn = 0;
    FormulaPtr formula;  // null for a line of blanks only
};

// A line that is either a formula or, when `allowAssignment`, `name = formula`.
ParsedLine parseFormulaLine(std::string_view line, const NameResolver& resolver,
                            bool allowAssignment);

// A formula without variables.
FormulaPtr parseFormula(std::string_view text);

// Formulas nest at most this deep (a longer chain or deeper parentheses is a syntax error), as
// KEval allows: the parser and the evaluator recurse once or a few times for each level, within
// the stack of any thread, sanitizer builds included.
inline constexpr std::size_t kMaxFormulaDepth = 400;

}  // namespace kestrum::calc
