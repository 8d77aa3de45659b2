// Exact whole-number functions of the calculator. Callers check the arguments' domains and that
// the results stay within the calculator's sizes.
#pragma once

#include <cstdint>

#include "big_int.h"

namespace kestrum::calc {

// n! by binary splitting of the product 1 * 2 * ... * n.
BigInt factorial(std::uint64_t n);

// n over k for 0 <= k <= n.
BigInt binomial(const BigInt& n, std::uint64_t k);

// Results >= 0; gcd(0, 0) = 0 and the lcm with a 0 is 0.
BigInt greatestCommonDivisor(const BigInt& a, const BigInt& b);
BigInt leastCommonMultiple(const BigInt& a, const BigInt& b);

}  // namespace kestrum::calc
