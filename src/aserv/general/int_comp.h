// The general path of integer comparison: the steps on the text, for any characters. It defines
// every result; the entry point one namespace up gives the same outcome.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace kestrum::aserv::general {

// result = 1 when a1 is larger, -1 when it is smaller, 0 when they are equal. Works on the text:
// signs split off, magnitudes zero-filled and compared by code unit, no digit validation. A
// negative zero ranks below 0. Texts equal as passed give 0 without any length limit.
void intComp(TextView a1, TextView a2, std::int16_t& result);

// The same comparison for texts that are already free of blanks (what the other procedures
// compare): blank removal is then only its length limit.
std::int16_t compareBlankFree(TextView a, TextView b);

}  // namespace kestrum::aserv::general
