#include "int_comp.h"

#include "digit_operands.h"
#include "general/int_comp.h"
#include "number_text.h"
#include "operand.h"
#include "word_arithmetic.h"

namespace kestrum::aserv {

void intComp(TextView a1, TextView a2, std::int16_t& result) {
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
