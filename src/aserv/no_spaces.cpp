#include "no_spaces.h"

#include <algorithm>

#include "int16.h"

namespace kestrum::aserv {

Text noSpaces(TextView source) {
    requireOperandLength(source);
    Text destination;
    destination.reserve(source.size());
    std::copy_if(source.begin(), source.end(), std::back_inserter(destination),
                 [](char16_t c) { return c != kBlank; });
    return destination;
}

}  // namespace kestrum::aserv
