#include "real_mult.h"

#include "general/real_mult.h"
#include "int_mult.h"
#include "word/word_arithmetic.h"

namespace kestrum::aserv {

void realMult(TextView a1, TextView a2, Text& result) {
    if (multiplyPointWords(a1, a2, result)) {
        return;
    }
    general::realMultWith(multiplyBlankFree, a1, a2, result);
}

}  // namespace kestrum::aserv
