#include "int_comp.h"

#include "general/int_comp.h"
#include "no_spaces.h"

namespace kestrum::aserv {

void intComp(TextView a1, TextView a2, std::int16_t& result) {
    if (a1 == a2) {
        result = 0;
        return;
    }
    const BlankFreeText a(a1);
    const BlankFreeText b(a2);
    result = general::compareBlankFree(a.view(), b.view());
}

}  // namespace kestrum::aserv
