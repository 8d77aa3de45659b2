#include "text/no_spaces.h"

#include <cstddef>
#include <cstdint>

#include "text/int16.h"

namespace kestrum::aserv {

bool hasBlank(TextView text) {
    // A reduction without early exit, in 16-bit lanes, so that the compiler can vectorise it.
    std::uint16_t found = 0;
    for (const char16_t c : text) {
        found |= static_cast<std::uint16_t>(c == kBlank ? 1 : 0);
    }
    return found != 0;
}

Text noSpaces(TextView source) {
    requireOperandLength(source);
    if (!hasBlank(source)) {
        return Text(source);
    }
    Text destination(source.size(), kBlank);
    std::size_t kept = 0;
    for (const char16_t c : source) {
        destination[kept] = c;
        kept += c != kBlank ? 1 : 0;
    }
    destination.resize(kept);
    return destination;
}

BlankFreeText::BlankFreeText(TextView source) {
    requireOperandLength(source);
    if (hasBlank(source)) {
        storage_ = noSpaces(source);
        view_ = storage_;
    } else {
        view_ = source;
    }
}

}  // namespace kestrum::aserv
