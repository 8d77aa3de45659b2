#include "operand.h"

#include "int16.h"
#include "no_spaces.h"

namespace kestrum::aserv {

Operand::Operand(TextView source) : text_(source), split_(splitSign(source)) {
    requireOperandLength(source);
    digits_ = allDigits(split_.magnitude);
    if (digits_ || !hasBlank(source)) {
        return;
    }
    storage_ = noSpaces(source);
    text_ = storage_;
    split_ = splitSign(text_);
    digits_ = allDigits(split_.magnitude);
}

}  // namespace kestrum::aserv
