#include "int_div.h"

#include "general/int_div.h"

namespace kestrum::aserv {

void intDiv(TextView a1, TextView a2, Text& m, Text& r, std::int16_t& er) {
    general::intDiv(a1, a2, m, r, er);
}

}  // namespace kestrum::aserv
