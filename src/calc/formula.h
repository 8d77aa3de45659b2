// The syntax tree of a formula. Nodes are immutable and shared: a variable's tree is reused, as
// is, in every formula that names the variable.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ball.h"
#include "calculator.h"

namespace kestrum::calc {

enum class Operation {
    kNumber,  // an exact decimal
    kPi,      // the constants
    kE,
    kNegate,  // unary minus
    kAdd,
    kSubtract,
    kMultiply,
    kDivide,
    kPower,
    kCall,      // a function of operands
    kVariable,  // the single operand is the variable's formula
};

enum class Function {
    kSqrt,
    kRoot,
    kLn,
    kLog10,
    kLog,
    kExp,
    kSin,
    kCos,
    kTan,
    kAsin,
    kAcos,
    kAtan,
    kAtan2,
    kAbs,
    kFact,
    kBinom,
    kGcd,
    kLcm,
    kQuot,
    kMod,
    kRound,
};

struct FunctionInfo {
    std::string_view name;  // in lower case
    Function function;
    std::size_t minArguments;
    std::size_t maxArguments;
};

// The function of a name in any letter case; nothing for another name.
std::optional<FunctionInfo> findFunction(std::string_view name);
std::string_view functionName(Function function);

struct FormulaNode;
using FormulaPtr = std::shared_ptr<const FormulaNode>;

struct FormulaNode {
    Operation operation = Operation::kNumber;
    std::size_t column = 0;                             // of the number, name or operator, 1-based
    std::size_t depth = 1;                              // of the tree below and including this node
    Decimal number;                                     // kNumber
    Function function = Function::kAbs;                 // kCall
    RoundingMode roundingMode = RoundingMode::kHalfUp;  // kCall of round
    std::vector<FormulaPtr> operands;
};

}  // namespace kestrum::calc
