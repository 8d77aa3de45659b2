// Integer comparison.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace kestrum::aserv {

// result = 1 when a1 is larger, -1 when it is smaller, 0 when they are equal. Works on the text:
// signs split off, magnitudes zero-filled and compared by code unit, no digit validation. A
// negative zero ranks below 0. Texts equal as passed give 0 without any length limit.
void intComp(TextView a1, TextView a2, std::int16_t& result);

}  // namespace kestrum::aserv
