#include "real_add_sub.h"

#include "digits/point_digits_add_sub.h"
#include "general/real_add_sub.h"
#include "int_add_sub.h"

namespace kestrum::aserv {

void realAdd(TextView a1, TextView a2, Text& result) {
    if (!addPointDigits(a1, a2, result)) {
        result = general::realAddWith(addBlankFree, a1, a2);
    }
}

void realSub(TextView a1, TextView a2, Text& result) {
    if (!subtractPointDigits(a1, a2, result)) {
        result = general::realSubWith(subtractBlankFree, a1, a2);
    }
}

}  // namespace kestrum::aserv
