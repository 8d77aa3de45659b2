// Exact decimals and random whole numbers for the tests of the calculator's numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

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

// A whole number of exactly `count` digits (the first one not 0), random.
inline BigInt randomDigits(std::mt19937_64& random, std::size_t count, bool negative) {
    std::string text(negative ? "-" : "");
    text += static_cast<char>('1' + random() % 9);
    for (std::size_t i = 1; i < count; ++i) {
        text += static_cast<char>('0' + random() % 10);
    }
    return BigInt::fromDigits(text);
}

}  // namespace kestrum::calc::test
