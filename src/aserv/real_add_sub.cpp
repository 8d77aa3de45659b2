#include "real_add_sub.h"

#include "general/real_add_sub.h"
#include "int_add_sub.h"
#include "point_digits_add_sub.h"
#include "word_arithmetic.h"

namespace kestrum::aserv {

void realAdd(TextView a1, TextView a2, Text& result) {
    if (!addPointWords(a1, a2, result) && !addPointDigits(a1, a2, result)) {
        result = general::realAddWith(addBlankFree, a1, a2);
    }
}

void realSub(TextView a1, TextView a2, Text& result) {
    if (!subtractPointWords(a1, a2, result) && !subtractPointDigits(a1, a2, result)) {
        result = general::realSubWith(subtractBlankFree, a1, a2);
    }
}

}  // namespace kestrum::aserv
