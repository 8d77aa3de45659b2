// Digit-by-digit column arithmetic on canonical decimal texts, the oracle the kernel is checked
// against. Deliberately simple and slow.
#pragma once

#include <string>

namespace kestrum::aserv::kernel::testing {

struct ReferenceDivision {
    std::u16string quotient;
    std::u16string remainder;
};

// All inputs canonical ("0" or digits without leading zeros).
int referenceCompare(const std::u16string& a, const std::u16string& b);
std::u16string referenceAdd(const std::u16string& a, const std::u16string& b);
std::u16string referenceSubtract(const std::u16string& a, const std::u16string& b);  // a >= b
std::u16string referenceMultiply(const std::u16string& a, const std::u16string& b);
ReferenceDivision referenceDivide(const std::u16string& a, const std::u16string& b);  // b != 0

}  // namespace kestrum::aserv::kernel::testing
