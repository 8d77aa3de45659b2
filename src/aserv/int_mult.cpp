#include "int_mult.h"

#include "general/int_mult.h"

namespace kestrum::aserv {

Text multiplyBlankFree(TextView a, TextView b) {
    return general::multiplyBlankFree(a, b);
}

void intMult(TextView a1, TextView a2, Text& result) {
    general::intMult(a1, a2, result);
}

}  // namespace kestrum::aserv
