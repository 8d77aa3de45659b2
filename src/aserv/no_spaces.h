// Blank removal, the first step of every operation.
#pragma once

#include "text.h"

namespace kestrum::aserv {

// A copy of `source` without its blanks (U+0020); every other character stays, in order.
// Raises error 6 for a source of 32767 characters or more, blanks included.
Text noSpaces(TextView source);

}  // namespace kestrum::aserv
