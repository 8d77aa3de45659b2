#include "general/int_comp.h"

#include "text/int16.h"
#include "text/no_spaces.h"
#include "text/number_text.h"

namespace kestrum::aserv::general {

namespace {

bool isZeroLike(TextView text) {
    return text.empty() || text == u"-" || text == u"+";
}

}  // namespace

std::int16_t compareBlankFree(TextView a, TextView b) {
    if (sameText(a, b)) {
        return 0;
    }
    requireOperandLength(a);
    requireOperandLength(b);
    if (isZeroLike(a)) {
        a = u"0";
    }
    if (isZeroLike(b)) {
        b = u"0";
    }
    const auto [x, y] = splitSigns(a, b);
    if (x.sign != y.sign) {
        return static_cast<std::int16_t>(x.sign);
    }
    return static_cast<std::int16_t>(x.sign * compareZeroFilled(x.magnitude, y.magnitude));
}

void intComp(TextView a1, TextView a2, std::int16_t& result) {
    if (sameText(a1, a2)) {
        result = 0;
        return;
    }
    const Text a = noSpaces(a1);
    const Text b = noSpaces(a2);
    result = compareBlankFree(a, b);
}

}  // namespace kestrum::aserv::general
