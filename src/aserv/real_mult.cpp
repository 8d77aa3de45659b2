#include "real_mult.h"

#include "general/real_mult.h"
#include "int_mult.h"

namespace kestrum::aserv {

void realMult(TextView a1, TextView a2, Text& result) {
    general::realMultWith(multiplyBlankFree, a1, a2, result);
}

}  // namespace kestrum::aserv
