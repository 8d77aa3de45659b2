#include "formula_value.h"

#include <algorithm>

#include "decimal_rounding.h"
#include "formula_evaluator.h"

namespace kestrum::calc {
namespace {

constexpr std::int64_t kFirstGuardDigits = 10;
constexpr std::int64_t kLeastLimitGuardDigits = 60;
constexpr Precision kEstimatePrecision{20};

// The magnitude of the value from a cheap evaluation; 0 when that cannot tell.
std::int64_t estimatedMagnitude(const FormulaNode& formula) {
    FormulaEvaluator evaluator(kEstimatePrecision, kFirstGuardDigits, false);
    try {
        const Ball value = evaluator.evaluate(formula);
        if (value.sign().value_or(0) != 0) {
            return largestMagnitude(value).value_or(0);
        }
    } catch (const NeedsMorePrecision&) {
    }
    return 0;
}

}  // namespace

Decimal roundedFormulaValue(const FormulaNode& formula, std::int64_t places, RoundingMode mode) {
    std::int64_t magnitude = estimatedMagnitude(formula);
    const std::int64_t limitGuardDigits = std::max(kLeastLimitGuardDigits, places);
    for (std::int64_t guard = kFirstGuardDigits;; guard *= 2) {
        const bool atLimit = guard >= limitGuardDigits;
        const Precision working{std::max<std::int64_t>(places + magnitude, 0) + guard};
        FormulaEvaluator evaluator(working, guard, atLimit);
        try {
            const Ball value = evaluator.evaluate(formula);
            if (auto rounded = roundBall(value, places, mode, atLimit)) {
                return *rounded;
            }
            magnitude = std::max(magnitude, largestMagnitude(value).value_or(magnitude));
        } catch (const NeedsMorePrecision&) {
        }
        // The value may come from cancelling larger ones: they need the digits too.
        magnitude = std::max(magnitude, evaluator.largestMagnitudeMet());
    }
}

}  // namespace kestrum::calc
