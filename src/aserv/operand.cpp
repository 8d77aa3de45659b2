#include "operand.h"

#include "int16.h"
#include "kernel/digit_runs.h"
#include "no_spaces.h"

namespace kestrum::aserv {

namespace {

// Whether the text is digits only, scanned with wide loads.
bool digitsOnly(TextView text) {
    return kernel::leadingDigits(text) == text.size();
}

}  // namespace

Operand::Operand(TextView source)
    : text_(source), split_(splitSign(source)), digits_(digitsOnly(split_.magnitude)) {
    requireOperandLength(source);
    if (digits_ || !hasBlank(source)) {
        return;
    }
    storage_ = noSpaces(source);
    text_ = storage_;
    split_ = splitSign(text_);
    digits_ = digitsOnly(split_.magnitude);
}

}  // namespace kestrum::aserv
