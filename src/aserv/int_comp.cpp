#include "int_comp.h"

#include <optional>

#include "digits/digit_operands.h"
#include "digits/operand.h"
#include "general/int_comp.h"
#include "kernel/digit_runs.h"
#include "kernel/kernel.h"
#include "text/int16.h"
#include "text/number_text.h"
#include "word/word_arithmetic.h"

namespace kestrum::aserv {

namespace {

// The comparison of plain integers (signs split off as usual, then digits only, within the
// length limit) in one pass over each text; nothing for texts of any other form.
std::optional<int> comparePlainIntegers(TextView a1, TextView a2) {
    if (a1.size() > kMaxOperandLength || a2.size() > kMaxOperandLength) {
        return std::nullopt;
    }
    const SignedText x = splitSign(a1);
    const SignedText y = splitSign(a2);
    const TextView mx = kernel::stripLeadingZeros(x.magnitude);
    const TextView my = kernel::stripLeadingZeros(y.magnitude);
    int order = 0;
    if (mx.size() == my.size()) {
        const kernel::RunComparison runs = kernel::compareDigitRuns(mx, my);
        if (!runs.digits) {
            return std::nullopt;
        }
        if (runs.difference < mx.size()) {
            order = mx[runs.difference] > my[runs.difference] ? 1 : -1;
        }
    } else {
        if (!kernel::onlyDigits(mx) || !kernel::onlyDigits(my)) {
            return std::nullopt;
        }
        order = mx.size() > my.size() ? 1 : -1;
    }
    const int sx = comparisonSign(x);
    return sx != comparisonSign(y) ? sx : sx * order;
}

}  // namespace

void intComp(TextView a1, TextView a2, std::int16_t& result) {
    if (const std::optional<int> order = comparePlainIntegers(a1, a2)) {
        result = static_cast<std::int16_t>(*order);
        return;
    }
    if (sameText(a1, a2)) {
        result = 0;
        return;
    }
    if (compareWords(a1, a2, result)) {
        return;
    }
    const Operand a(a1);
    const Operand b(a2);
    result = a.digits() && b.digits()
                 ? static_cast<std::int16_t>(compareSigned(a.split(), b.split()))
                 : general::compareBlankFree(a.text(), b.text());
}

}  // namespace kestrum::aserv
