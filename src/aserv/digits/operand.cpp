#include "digits/operand.h"

#include "kernel/digit_runs.h"
#include "text/int16.h"
#include "text/no_spaces.h"

namespace kestrum::aserv {

Operand::Operand(TextView source)
    : text_(source), split_(splitSign(source)), digits_(kernel::onlyDigits(split_.magnitude)) {
    requireOperandLength(source);
    if (digits_ || !hasBlank(source)) {
        return;
    }
    storage_ = noSpaces(source);
    text_ = storage_;
    split_ = splitSign(text_);
    digits_ = kernel::onlyDigits(split_.magnitude);
}

}  // namespace kestrum::aserv
