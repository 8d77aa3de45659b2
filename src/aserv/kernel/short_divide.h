// Division of digit text by a divisor of one limb, straight from text to text: each group of 18
// dividend digits is read just before its division step and each quotient limb written a few
// steps after it, so the reading and writing overlap the chain of dependent division steps.
#pragma once

#include <string>
#include <string_view>

#include "limb.h"

namespace kestrum::aserv::kernel::detail {

struct TextQuotient {
    std::u16string quotient;
    Limb remainder;
};

// a / d for a canonical text a of value at least d, and 0 < d < 10^18.
TextQuotient divideTextByLimb(std::u16string_view a, Limb d);

}  // namespace kestrum::aserv::kernel::detail
