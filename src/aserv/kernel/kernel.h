// Exact arithmetic on decimal magnitudes written as UTF-16 digit text.
//
// Every input is a magnitude made only of the code units u'0'..u'9'; leading zeros are allowed
// and the empty text stands for zero. Every output text is canonical: no sign, no leading zeros,
// "0" for zero. The functions keep no state and are safe to call from any thread.
//
// Internally the digits are read into base-10^18 limbs; addition, subtraction and comparison are
// linear, multiplication goes schoolbook -> Karatsuba -> a three-prime number-theoretic
// transform (long digit texts are read into base-10^16 limbs instead, whose products two primes
// determine), and division uses machine words for dividends of up to 19 digits, one-limb division
// with a precomputed reciprocal straight from text to text for divisors of up to 18 digits, long
// division for short quotients or divisors, recursive (Burnikel-Ziegler) division above that, and
// for a quotient much shorter than the divisor, division by the divisor's top limbs followed by one
// correcting product.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrum::aserv::kernel {

// Number of digits of the value, leading zeros not counted (0 for zero).
std::size_t significantLength(std::u16string_view digits);

// The text without its leading zeros: a view into digits, empty for zero.
std::u16string_view stripLeadingZeros(std::u16string_view digits);

// -1, 0 or 1 as a is smaller than, equal to or larger than b by value.
int compareMagnitudes(std::u16string_view a, std::u16string_view b);

// The forms with an `out` parameter replace its contents and reuse its storage, so a caller that
// keeps one text for its results allocates nothing for short ones. They read a and b in full
// before they write, so out may hold either of them.

void addMagnitudes(std::u16string_view a, std::u16string_view b, std::u16string& out);

// a - b; requires a >= b by value.
void subtractMagnitudes(std::u16string_view a, std::u16string_view b, std::u16string& out);

void multiplyMagnitudes(std::u16string_view a, std::u16string_view b, std::u16string& out);

inline std::u16string addMagnitudes(std::u16string_view a, std::u16string_view b) {
    std::u16string sum;
    addMagnitudes(a, b, sum);
    return sum;
}

inline std::u16string subtractMagnitudes(std::u16string_view a, std::u16string_view b) {
    std::u16string difference;
    subtractMagnitudes(a, b, difference);
    return difference;
}

inline std::u16string multiplyMagnitudes(std::u16string_view a, std::u16string_view b) {
    std::u16string product;
    multiplyMagnitudes(a, b, product);
    return product;
}

struct Division {
    std::u16string quotient;
    std::u16string remainder;
};

// Truncating division: a = quotient * b + remainder with remainder < b. Requires b != 0.
Division divideMagnitudes(std::u16string_view a, std::u16string_view b);

}  // namespace kestrum::aserv::kernel
