#include "int_comp.h"

#include "digit_operands.h"
#include "general/int_comp.h"
#include "no_spaces.h"
#include "number_text.h"

namespace kestrum::aserv {

void intComp(TextView a1, TextView a2, std::int16_t& result) {
    if (sameText(a1, a2)) {
        result = 0;
        return;
    }
    const BlankFreeText a(a1);
    const BlankFreeText b(a2);
    const SignedPair split = splitSigns(a.view(), b.view());
    result = digitsOnly(split) ? static_cast<std::int16_t>(compareSigned(split.first, split.second))
                               : general::compareBlankFree(a.view(), b.view());
}

}  // namespace kestrum::aserv
