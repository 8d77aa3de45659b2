#include "formula_evaluator.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "decimal_rounding.h"
#include "interrupt.h"
#include "whole_numbers.h"

namespace kestrum::calc {
namespace {

// 25206! exceeds 10^100000.
constexpr std::int64_t kLargestFactorial = 25205;
// Whole exponents up to this size are raised by repeated squaring, longer ones through exp and ln.
constexpr std::int64_t kLargestSquaringExponent = 1'000'000'000'000'000;
// round's places beyond this many digits would need more digits than any value has.
constexpr std::int64_t kLargestRoundPlaces = 2 * kMaxMagnitude + 2 * Calculator::kMaxPlaces;

bool fitsInInt64(const BigInt& value) {
    return value.digitCount() <= 18;
}

const Decimal& one() {
    static const Decimal value{BigInt(1), 0};
    return value;
}

// The whole number an exact decimal is, nothing for a fraction.
std::optional<BigInt> exactWholeNumber(const Decimal& value) {
    if (value.exponent >= 0) {
        return value.coefficient.shiftedUp(static_cast<std::size_t>(value.exponent));
    }
    bool inexact = false;
    BigInt whole =
        value.coefficient.shiftedDown(static_cast<std::size_t>(-value.exponent), &inexact);
    if (inexact) {
        return std::nullopt;
    }
    return whole;
}

// log10 |value| to about 15 digits, for value != 0.
double approximateLog10(const Decimal& value) {
    const std::size_t digits = value.coefficient.digitCount();
    const std::size_t dropped = digits > 17 ? digits - 17 : 0;
    const auto leading =
        static_cast<double>(value.coefficient.abs().shiftedDown(dropped).toInt64());
    return std::log10(leading) + static_cast<double>(dropped) + static_cast<double>(value.exponent);
}

Ball wholeBall(BigInt value) {
    return Ball(Decimal{std::move(value), 0});
}

}  // namespace

std::optional<std::int64_t> largestMagnitude(const Ball& ball) {
    const auto lower = ball.lower().magnitude();
    const auto upper = ball.upper().magnitude();
    if (!lower) {
        return upper;
    }
    if (!upper) {
        return lower;
    }
    return std::max(*lower, *upper);
}

Ball FormulaEvaluator::evaluate(const FormulaNode& node) {
    stopIfInterrupted();
    Ball result;
    try {
        result = evaluateNode(node);
    } catch (const UnderflowError&) {
        fail(6, node, "value too small");
    } catch (const std::range_error&) {
        fail(6, node, "value too large");
    }
    checkSize(result, node);
    return result;
}

Ball FormulaEvaluator::evaluateNode(const FormulaNode& node) {
    const auto& operands = node.operands;
    switch (node.operation) {
        case Operation::kNumber:
            return Ball(node.number);
        case Operation::kPi:
            return pi(working_);
        case Operation::kE:
            return e(working_);
        case Operation::kNegate:
            return neg(evaluate(*operands[0]));
        case Operation::kAdd:
            return add(evaluate(*operands[0]), evaluate(*operands[1]), working_);
        case Operation::kSubtract:
            return sub(evaluate(*operands[0]), evaluate(*operands[1]), working_);
        case Operation::kMultiply:
            return mul(evaluate(*operands[0]), evaluate(*operands[1]), working_);
        case Operation::kDivide: {
            const Ball dividend = evaluate(*operands[0]);
            const Ball divisor = evaluate(*operands[1]);
            if (decidedSign(divisor) == 0) {
                fail(11, node, "division by zero");
            }
            return div(dividend, divisor, working_);
        }
        case Operation::kPower:
            return evaluatePower(node);
        case Operation::kCall:
            return evaluateCall(node);
        case Operation::kVariable: {
            const std::size_t outer = variableColumn_;
            if (outer == 0) {
                variableColumn_ = node.column;
            }
            Ball value = evaluate(*operands[0]);
            variableColumn_ = outer;
            return value;
        }
    }
    throw std::logic_error("formula node of no known operation");
}

Ball FormulaEvaluator::evaluateCall(const FormulaNode& node) {
    switch (node.function) {
        case Function::kRoot:
            return evaluateRoot(node);
        case Function::kLog:
            return evaluateLog(node);
        case Function::kAtan2:
            return evaluateAtan2(node);
        case Function::kRound:
            return evaluateRound(node);
        case Function::kFact:
        case Function::kBinom:
        case Function::kGcd:
        case Function::kLcm:
        case Function::kQuot:
        case Function::kMod:
            return evaluateWholeFunction(node);
        default:
            return evaluateDomainFunction(node, evaluate(*node.operands[0]));
    }
}

Ball FormulaEvaluator::evaluateDomainFunction(const FormulaNode& node, const Ball& a) {
    switch (node.function) {
        case Function::kSqrt: {
            const int sign = decidedSign(a);
            if (sign < 0) {
                fail(5, node, "sqrt of a negative number");
            }
            return sign == 0 ? Ball() : sqrt(a, working_);
        }
        case Function::kLn:
        case Function::kLog10: {
            if (decidedSign(a) <= 0) {
                fail(5, node, std::string(functionName(node.function)) + " of a number <= 0");
            }
            Ball logarithm = ln(a, working_);
            if (node.function == Function::kLn) {
                return logarithm;
            }
            return div(logarithm, ln(Ball::fromInteger(10), working_), working_);
        }
        case Function::kTan:
            if (decidedSign(cos(a, working_)) == 0) {
                fail(5, node, "tan where the cosine is 0");
            }
            return tan(a, working_);
        case Function::kAsin:
        case Function::kAcos:
            return evaluateInverseSine(node, a);
        case Function::kExp:
            return exp(a, working_);
        case Function::kSin:
            return sin(a, working_);
        case Function::kCos:
            return cos(a, working_);
        case Function::kAtan:
            return atan(a, working_);
        case Function::kAbs:
            return abs(a);
        default:
            throw std::logic_error("not a function of one argument");
    }
}

Ball FormulaEvaluator::evaluateInverseSine(const FormulaNode& node, const Ball& a) {
    static const Decimal minusOne{BigInt(-1), 0};
    const std::string outside =
        std::string(functionName(node.function)) + " of a number outside [-1, 1]";
    Ball argument = a;
    const int againstOne = decidedComparison(a, one());
    if (againstOne > 0) {
        fail(5, node, outside);
    }
    if (againstOne == 0) {
        argument = Ball(one());
    } else {
        const int againstMinusOne = decidedComparison(a, minusOne);
        if (againstMinusOne < 0) {
            fail(5, node, outside);
        }
        if (againstMinusOne == 0) {
            argument = Ball(minusOne);
        }
    }
    return node.function == Function::kAsin ? asin(argument, working_) : acos(argument, working_);
}

Ball FormulaEvaluator::evaluateRoot(const FormulaNode& node) {
    const Ball a = evaluate(*node.operands[0]);
    const BigInt n = wholeOperand(*node.operands[1], node);
    if (n.sign() < 1) {
        fail(5, node, "root of an order below 1");
    }
    if (fitsInInt64(n) && n.isOdd()) {
        return root(a, n.toInt64(), working_);
    }
    const int sign = decidedSign(a);
    if (sign < 0 && !n.isOdd()) {
        fail(5, node, "even root of a negative number");
    }
    if (sign == 0) {
        return Ball();
    }
    if (fitsInInt64(n)) {
        return root(a, n.toInt64(), working_);
    }
    // An order of 19 digits or more: e^(ln|a| / n) with the sign of a.
    const Ball size = exp(div(ln(abs(a), working_), wholeBall(n), working_), working_);
    return sign < 0 ? neg(size) : size;
}

Ball FormulaEvaluator::evaluateLog(const FormulaNode& node) {
    const Ball a = evaluate(*node.operands[0]);
    const Ball base = evaluate(*node.operands[1]);
    if (decidedSign(a) <= 0) {
        fail(5, node, "log of a number <= 0");
    }
    const std::string badBase = "log base <= 0 or = 1";
    if (decidedSign(base) <= 0 || decidedComparison(base, one()) == 0) {
        fail(5, node, badBase);
    }
    const Ball lnBase = ln(base, working_);
    if (decidedSign(lnBase) == 0) {
        fail(5, node, badBase);
    }
    return div(ln(a, working_), lnBase, working_);
}

Ball FormulaEvaluator::evaluateAtan2(const FormulaNode& node) {
    Ball y = evaluate(*node.operands[0]);
    const Ball x = evaluate(*node.operands[1]);
    const auto xSign = x.sign();
    const auto ySign = y.sign();
    const bool defined = (xSign && *xSign > 0) || (ySign && *ySign != 0);
    if (!defined) {
        // y may be 0 and x is not known to be positive: the angle depends on whether y is 0.
        if (decidedSign(y) == 0) {
            y = Ball();
            if (decidedSign(x) == 0) {
                fail(5, node, "atan2 of (0, 0)");
            }
        }
    }
    return atan2(y, x, working_);
}

Ball FormulaEvaluator::evaluateRound(const FormulaNode& node) {
    Ball a = evaluate(*node.operands[0]);
    const BigInt places = wholeOperand(*node.operands[1], node);
    if (!fitsInInt64(places) || places.abs() > BigInt(kLargestRoundPlaces)) {
        fail(6, node, "places of round out of range");
    }
    a = refine(*node.operands[0], std::move(a), places.toInt64());
    auto rounded = roundBall(a, places.toInt64(), node.roundingMode, atLimit_);
    if (!rounded) {
        throw NeedsMorePrecision();
    }
    return Ball(std::move(*rounded));
}

Ball FormulaEvaluator::evaluateWholeFunction(const FormulaNode& node) {
    std::vector<BigInt> arguments;
    for (const FormulaPtr& operand : node.operands) {
        arguments.push_back(wholeOperand(*operand, node));
    }
    switch (node.function) {
        case Function::kFact: {
            const BigInt& n = arguments[0];
            if (n.isNegative()) {
                fail(5, node, "fact of a negative number");
            }
            if (n > BigInt(kLargestFactorial)) {
                fail(6, node, "value too large");
            }
            return wholeBall(factorial(static_cast<std::uint64_t>(n.toInt64())));
        }
        case Function::kBinom:
            return evaluateBinomial(node, arguments[0], arguments[1]);
        case Function::kGcd:
            return wholeBall(greatestCommonDivisor(arguments[0], arguments[1]));
        case Function::kLcm:
            return wholeBall(leastCommonMultiple(arguments[0], arguments[1]));
        case Function::kQuot:
        case Function::kMod: {
            if (arguments[1].isZero()) {
                fail(11, node, "division by zero");
            }
            auto division = BigInt::divMod(arguments[0], arguments[1]);
            return wholeBall(node.function == Function::kQuot ? std::move(division.quotient)
                                                              : std::move(division.remainder));
        }
        default:
            throw std::logic_error("not a whole-number function");
    }
}

Ball FormulaEvaluator::evaluateBinomial(const FormulaNode& node, const BigInt& n, const BigInt& k) {
    if (n.isNegative() || k.isNegative()) {
        fail(5, node, "binom of a negative number");
    }
    if (k > n) {
        return Ball();
    }
    const BigInt shorter = std::min(k, n - k);
    if (shorter.isZero()) {
        return Ball::fromInteger(1);
    }
    // n over s >= (n / s)^s; n over s >= 2^s, so s beyond a million is far too large.
    const auto tooLarge = [&] { fail(6, node, "value too large"); };
    if (shorter.digitCount() > 6) {
        tooLarge();
    }
    const auto s = shorter.toInt64();
    const double lowerLog10 = static_cast<double>(s) * (approximateLog10(Decimal{n, 0}) -
                                                        std::log10(static_cast<double>(s)));
    if (lowerLog10 > static_cast<double>(kMaxMagnitude) + 1) {
        tooLarge();
    }
    return wholeBall(binomial(n, static_cast<std::uint64_t>(s)));
}

Ball FormulaEvaluator::evaluatePower(const FormulaNode& node) {
    const Ball base = evaluate(*node.operands[0]);
    const Ball exponent = evaluate(*node.operands[1]);
    if (!exponent.isExact() && base.sign() == 1) {
        return exp(mul(exponent, ln(base, working_), working_), working_);
    }
    if (auto whole = wholeNumberIn(*node.operands[1], exponent)) {
        return integerPower(node, base, *whole);
    }
    return fractionalPower(node, base, exponent);
}

Ball FormulaEvaluator::integerPower(const FormulaNode& node, const Ball& base,
                                    const BigInt& exponent) {
    if (exponent.isZero()) {
        return Ball::fromInteger(1);
    }
    if (exponent.isNegative() && decidedSign(base) == 0) {
        fail(5, node, "0 to a negative power");
    }
    const auto baseSign = base.sign();
    if (baseSign == 0) {
        return Ball();
    }
    if (fitsInInt64(exponent) && exponent.abs() <= BigInt(kLargestSquaringExponent)) {
        const std::int64_t n = exponent.toInt64();
        if (baseSign && approximateLog10(base.mid()) * static_cast<double>(n) >
                            static_cast<double>(kMaxMagnitude) + 2) {
            fail(6, node, "value too large");
        }
        return powInteger(base, n, working_);
    }
    const int sign = decidedSign(base);
    if (sign == 0) {
        return Ball();
    }
    const Ball size = exp(mul(wholeBall(exponent), ln(abs(base), working_), working_), working_);
    return sign < 0 && exponent.isOdd() ? neg(size) : size;
}

Ball FormulaEvaluator::fractionalPower(const FormulaNode& node, const Ball& base,
                                       const Ball& exponent) {
    const int sign = decidedSign(base);
    if (sign > 0) {
        return exp(mul(exponent, ln(base, working_), working_), working_);
    }
    if (sign < 0) {
        fail(5, node, "negative number to a fractional power");
    }
    // The exponent holds no whole number, so its sign is known.
    if (exponent.sign().value_or(0) < 0) {
        fail(5, node, "0 to a negative power");
    }
    return Ball();
}

Ball FormulaEvaluator::refine(const FormulaNode& node, Ball ball, std::int64_t places) {
    // Digits for the value's magnitude, then, when that is not enough, for the largest value met
    // on the way (the value may come from cancelling larger ones).
    std::int64_t magnitude = largestMagnitude(ball).value_or(0);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (ball.isExact() || ball.accuracyPlaces() >= places + guardDigits_) {
            break;
        }
        const std::int64_t digits = std::max<std::int64_t>(magnitude + places, 0) + guardDigits_;
        if (digits <= working_.digits) {
            break;
        }
        FormulaEvaluator deeper(Precision{digits}, guardDigits_, atLimit_);
        deeper.variableColumn_ = variableColumn_;
        ball = deeper.evaluate(node);
        largestMagnitudeMet_ = std::max(largestMagnitudeMet_, deeper.largestMagnitudeMet_);
        magnitude = std::max(magnitude, deeper.largestMagnitudeMet_);
    }
    return ball;
}

std::optional<BigInt> FormulaEvaluator::wholeNumberIn(const FormulaNode& node, Ball ball) {
    ball = refine(node, std::move(ball), 0);
    if (ball.isExact()) {
        return exactWholeNumber(ball.mid());
    }
    // The whole number nearest the midpoint is in the ball when any is.
    const Decimal nearest = roundToPlaces(ball.mid(), 0, RoundingMode::kHalfEven);
    if (ball.compareTo(nearest).has_value()) {
        return std::nullopt;
    }
    if (!atLimit_) {
        throw NeedsMorePrecision();
    }
    return exactWholeNumber(nearest);
}

BigInt FormulaEvaluator::wholeOperand(const FormulaNode& node, const FormulaNode& call) {
    auto whole = wholeNumberIn(node, evaluate(node));
    if (!whole) {
        fail(5, call, std::string(functionName(call.function)) + " needs a whole number");
    }
    return std::move(*whole);
}

int FormulaEvaluator::decidedSign(const Ball& ball) const {
    if (const auto sign = ball.sign()) {
        return *sign;
    }
    if (!atLimit_) {
        throw NeedsMorePrecision();
    }
    return 0;
}

int FormulaEvaluator::decidedComparison(const Ball& ball, const Decimal& value) const {
    if (const auto comparison = ball.compareTo(value)) {
        return *comparison;
    }
    if (!atLimit_) {
        throw NeedsMorePrecision();
    }
    return 0;
}

void FormulaEvaluator::checkSize(const Ball& ball, const FormulaNode& node) {
    const auto magnitude = largestMagnitude(ball);
    if (!magnitude) {
        return;
    }
    largestMagnitudeMet_ = std::max(largestMagnitudeMet_, *magnitude);
    // Values up to 10^kMaxMagnitude itself are allowed.
    if (*magnitude > kMaxMagnitude && abs(ball).compareTo(Decimal{BigInt(1), kMaxMagnitude}) == 1) {
        fail(6, node, "value too large");
    }
}

void FormulaEvaluator::fail(int code, const FormulaNode& node, const std::string& what) const {
    const std::size_t column = variableColumn_ != 0 ? variableColumn_ : node.column;
    throw CalcError(code, column, what + " at column " + std::to_string(column));
}

}  // namespace kestrum::calc
