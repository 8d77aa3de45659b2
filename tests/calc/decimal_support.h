// Exact decimals for the tests of the calculator's numbers.
#pragma once

#include <cstdint>

#include "decimal.h"

namespace kestrum::calc::test {

inline Decimal dec(const char* text) {
    return Decimal::fromText(text);
}

// x^n by n exact products.
inline Decimal exactPower(const Decimal& x, std::int64_t n) {
    Decimal power{BigInt(1), 0};
    for (std::int64_t i = 0; i < n; ++i) {
        power = power * x;
    }
    return power;
}

}  // namespace kestrum::calc::test
