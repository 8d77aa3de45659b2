#include "int_add_sub.h"

#include "general/int_add_sub.h"
#include "no_spaces.h"

namespace kestrum::aserv {

Text addBlankFree(TextView a, TextView b) {
    return general::addBlankFree(a, b);
}

Text subtractBlankFree(TextView a, TextView b) {
    return general::subtractBlankFree(a, b);
}

void intAdd(TextView a1, TextView a2, Text& result) {
    general::intAdd(a1, a2, result);
}

void intSub(TextView a1, TextView a2, Text& result) {
    general::intSub(a1, a2, result);
}

}  // namespace kestrum::aserv
