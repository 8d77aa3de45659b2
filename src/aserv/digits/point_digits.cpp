#include "digits/point_digits.h"

#include "kernel/digit_runs.h"
#include "kernel/kernel.h"
#include "text/int16.h"

namespace kestrum::aserv {

bool PointDigits::zero() const {
    return integer.empty() && kernel::significantLength(fraction) == 0;
}

namespace {

bool read(TextView text, PointDigits& operand) {
    if (text.size() > kMaxOperandLength) {
        return false;
    }
    std::size_t start = 0;
    if (!text.empty() && (text.front() == kMinus || text.front() == kPlus)) {
        operand.negative = text.front() == kMinus;
        start = 1;
    }
    const TextView digits = text.substr(start);
    const std::size_t integerLength = kernel::leadingDigits(digits);
    operand.integer = kernel::stripLeadingZeros(digits.substr(0, integerLength));
    operand.before = start + integerLength;
    if (integerLength == digits.size()) {
        return true;
    }
    operand.fraction = digits.substr(integerLength + 1);
    operand.point = true;
    return digits[integerLength] == kPoint &&
           kernel::leadingDigits(operand.fraction) == operand.fraction.size();
}

}  // namespace

std::optional<PointDigits> readPointDigits(TextView text) {
    // Filled in place: a copy of the fields just written would wait for the stores.
    std::optional<PointDigits> operand(std::in_place);
    if (!read(text, *operand)) {
        operand.reset();
    }
    return operand;
}

}  // namespace kestrum::aserv
