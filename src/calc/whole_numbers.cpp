#include "whole_numbers.h"

#include <utility>

namespace kestrum::calc {
namespace {

// (first) * (first + 1) * ... * (first + count - 1), halving the range so that the factors of
// each product are of about equal length.
BigInt risingProduct(const BigInt& first, std::uint64_t count) {
    if (count == 0) {
        return BigInt(1);
    }
    if (count <= 4) {
        BigInt product = first;
        for (std::uint64_t i = 1; i < count; ++i) {
            product *= first + BigInt(static_cast<std::int64_t>(i));
        }
        return product;
    }
    const std::uint64_t half = count / 2;
    return risingProduct(first, half) *
           risingProduct(first + BigInt(static_cast<std::int64_t>(half)), count - half);
}

}  // namespace

BigInt factorial(std::uint64_t n) {
    return n == 0 ? BigInt(1) : risingProduct(BigInt(1), n);
}

BigInt binomial(const BigInt& n, std::uint64_t k) {
    // n over k = n over (n - k): the product runs over the shorter of the two.
    const BigInt rest = n - BigInt(static_cast<std::int64_t>(k));
    std::uint64_t shorter = k;
    if (rest.digitCount() <= 18 && static_cast<std::uint64_t>(rest.toInt64()) < k) {
        shorter = static_cast<std::uint64_t>(rest.toInt64());
    }
    const BigInt first = n - BigInt(static_cast<std::int64_t>(shorter)) + BigInt(1);
    return BigInt::divMod(risingProduct(first, shorter), factorial(shorter)).quotient;
}

BigInt greatestCommonDivisor(const BigInt& a, const BigInt& b) {
    BigInt x = a.abs();
    BigInt y = b.abs();
    while (!y.isZero()) {
        BigInt remainder = BigInt::divMod(x, y).remainder;
        x = std::move(y);
        y = std::move(remainder);
    }
    return x;
}

BigInt leastCommonMultiple(const BigInt& a, const BigInt& b) {
    if (a.isZero() || b.isZero()) {
        return BigInt(0);
    }
    return BigInt::divMod(a.abs(), greatestCommonDivisor(a, b)).quotient * b.abs();
}

}  // namespace kestrum::calc
