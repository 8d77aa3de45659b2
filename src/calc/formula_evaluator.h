// Evaluates a formula's tree on balls at a working precision. Every decision the value depends on
// (the sign of a divisor, whether an argument lies in a function's domain, whether a number is
// whole) is made on the ball: when the ball decides it, the answer is certain; when it cannot,
// the evaluator asks for more precision, or, at the precision limit, takes the boundary value (a
// divisor that may be 0 is 0, an argument of asin that may be just beyond 1 is 1, a number that
// may be the whole number n is n).
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>

#include "ball.h"
#include "formula.h"

namespace kestrum::calc {

// Thrown when the balls at the working precision cannot make a decision and the precision limit
// is not reached yet.
class NeedsMorePrecision : public std::exception {
  public:
    [[nodiscard]] const char* what() const noexcept override {
        return "more working precision needed";
    }
};

// The magnitude of the ball's largest point (its leading digit's position, as
// Decimal::magnitude()); nothing for the exact zero.
std::optional<std::int64_t> largestMagnitude(const Ball& ball);

class FormulaEvaluator {
  public:
    // guardDigits: the digits beyond what a result needs that sub-formulas get when a decision
    // needs them to a given number of places (a whole-number argument, round's argument).
    FormulaEvaluator(Precision working, std::int64_t guardDigits, bool atLimit)
        : working_(working), guardDigits_(guardDigits), atLimit_(atLimit) {}

    // Throws CalcError for a value outside a function's domain, a division by zero or a value
    // too large; NeedsMorePrecision as said.
    Ball evaluate(const FormulaNode& node);

    // The largest magnitude of any value met so far: a result of cancelling large values needs
    // working digits for them.
    [[nodiscard]] std::int64_t largestMagnitudeMet() const { return largestMagnitudeMet_; }

  private:
    Ball evaluateNode(const FormulaNode& node);
    Ball evaluateCall(const FormulaNode& node);
    Ball evaluateDomainFunction(const FormulaNode& node, const Ball& a);
    Ball evaluateWholeFunction(const FormulaNode& node);
    Ball evaluateBinomial(const FormulaNode& node, const BigInt& n, const BigInt& k);
    Ball evaluatePower(const FormulaNode& node);
    Ball integerPower(const FormulaNode& node, const Ball& base, const BigInt& exponent);
    Ball fractionalPower(const FormulaNode& node, const Ball& base, const Ball& exponent);
    Ball evaluateRound(const FormulaNode& node);
    Ball evaluateRoot(const FormulaNode& node);
    Ball evaluateLog(const FormulaNode& node);
    Ball evaluateAtan2(const FormulaNode& node);
    Ball evaluateInverseSine(const FormulaNode& node, const Ball& a);

    // The ball of `node`, re-evaluated at more working digits when it is not good for `places`
    // fraction digits plus the guard digits.
    Ball refine(const FormulaNode& node, Ball ball, std::int64_t places);
    // The whole number the ball of `node` is; nothing when it holds no whole number.
    std::optional<BigInt> wholeNumberIn(const FormulaNode& node, Ball ball);
    // The whole number the operand of `call` is; CalcError 5 for a fraction.
    BigInt wholeOperand(const FormulaNode& node, const FormulaNode& call);

    // The sign of the ball's points; an undecided sign needs more precision or, at the limit, is
    // taken as 0. Likewise the ball against a value.
    [[nodiscard]] int decidedSign(const Ball& ball) const;
    [[nodiscard]] int decidedComparison(const Ball& ball, const Decimal& value) const;

    void checkSize(const Ball& ball, const FormulaNode& node);
    [[noreturn]] void fail(int code, const FormulaNode& node, const std::string& what) const;

    Precision working_;
    std::int64_t guardDigits_;
    bool atLimit_;
    std::size_t variableColumn_ = 0;  // errors inside a variable's formula name the variable
    std::int64_t largestMagnitudeMet_ = 0;
};

}  // namespace kestrum::calc
