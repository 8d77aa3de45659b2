#include "int_comp.h"

#include "general/int_comp.h"

namespace kestrum::aserv {

void intComp(TextView a1, TextView a2, std::int16_t& result) {
    general::intComp(a1, a2, result);
}

}  // namespace kestrum::aserv
