// Helpers shared by the arithmetic tests: the outcome of a call (result text or error number),
// and a small reference arithmetic on decimal digit strings, written independently of the code
// under test, to compute expected values.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "text/aserv_error.h"
#include "text/text.h"

namespace kestrum::aserv::support {

// What a result variable holds before the call; a failing call must leave it so.
inline const Text kUntouched = u"untouched";

inline Text wide(const std::string& text) {
    return Text(text.begin(), text.end());
}

// Printable form of a text: ASCII as is, other units as \uXXXX, long texts shortened.
inline std::string narrow(TextView text) {
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            static const char kHex[] = "0123456789ABCDEF";
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) {
                out.push_back(kHex[(c >> shift) & 0xF]);
            }
        }
    }
    if (out.size() > 90) {
        out = out.substr(0, 40) + "...(" + std::to_string(text.size()) + " units)..." +
              out.substr(out.size() - 40);
    }
    return out;
}

struct Outcome {
    Text result;
    int error = 0;
    bool operator==(const Outcome&) const = default;
};

inline void PrintTo(const Outcome& outcome, std::ostream* os) {
    *os << '"' << narrow(outcome.result) << '"';
    if (outcome.error != 0) {
        *os << " with error " << outcome.error;
    }
}

inline Outcome ok(TextView result) {
    return {Text(result), 0};
}

inline Outcome fails(int number) {
    return {kUntouched, number};
}

using BinaryOp = void (*)(TextView, TextView, Text&);

inline Outcome run(BinaryOp op, TextView a1, TextView a2) {
    Outcome outcome{kUntouched, 0};
    try {
        op(a1, a2, outcome.result);
    } catch (const AServError& error) {
        outcome.error = error.number();
    }
    return outcome;
}

struct BinaryCase {
    Text a1;
    Text a2;
    Outcome expected;
};

inline void PrintTo(const BinaryCase& c, std::ostream* os) {
    *os << '"' << narrow(c.a1) << "\" and \"" << narrow(c.a2) << '"';
}

// Checks one case on the entry point and on the general path.
inline void expectOutcome(BinaryOp entry, BinaryOp general, const BinaryCase& c) {
    EXPECT_EQ(run(entry, c.a1, c.a2), c.expected) << "entry point";
    EXPECT_EQ(run(general, c.a1, c.a2), c.expected) << "general path";
}

// ---- Reference arithmetic. Magnitudes are strings of decimal digits without leading zeros.

inline std::string trimZeros(const std::string& digits) {
    const auto first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

inline int compareMagnitudes(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return a < b ? -1 : (a > b ? 1 : 0);
}

inline int digitFromRight(const std::string& digits, std::size_t i) {
    return i < digits.size() ? digits[digits.size() - 1 - i] - '0' : 0;
}

inline std::string addMagnitudes(const std::string& a, const std::string& b) {
    std::string out;
    int carry = 0;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry != 0; ++i) {
        const int s = digitFromRight(a, i) + digitFromRight(b, i) + carry;
        out.push_back(static_cast<char>('0' + s % 10));
        carry = s / 10;
    }
    std::reverse(out.begin(), out.end());
    return trimZeros(out);
}

// a - b for a not smaller than b.
inline std::string subtractMagnitudes(const std::string& a, const std::string& b) {
    std::string out;
    int borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        int d = digitFromRight(a, i) - digitFromRight(b, i) - borrow;
        borrow = d < 0 ? 1 : 0;
        out.push_back(static_cast<char>('0' + d + 10 * borrow));
    }
    std::reverse(out.begin(), out.end());
    return trimZeros(out);
}

inline std::string multiplyMagnitudes(const std::string& a, const std::string& b) {
    std::vector<int> columns(a.size() + b.size(), 0);
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (std::size_t j = 0; j < b.size(); ++j) {
            columns[i + j] += digitFromRight(a, i) * digitFromRight(b, j);
        }
    }
    std::string out;
    int carry = 0;
    for (int column : columns) {
        const int t = column + carry;
        out.push_back(static_cast<char>('0' + t % 10));
        carry = t / 10;
    }
    std::reverse(out.begin(), out.end());
    return trimZeros(out);
}

// A signed value; zero is never negative.
struct Number {
    bool negative = false;
    std::string magnitude = "0";
};

inline Number number(bool negative, const std::string& digits) {
    const std::string magnitude = trimZeros(digits);
    return {negative && magnitude != "0", magnitude};
}

inline Number add(const Number& x, const Number& y) {
    if (x.negative == y.negative) {
        return number(x.negative, addMagnitudes(x.magnitude, y.magnitude));
    }
    if (compareMagnitudes(x.magnitude, y.magnitude) >= 0) {
        return number(x.negative, subtractMagnitudes(x.magnitude, y.magnitude));
    }
    return number(y.negative, subtractMagnitudes(y.magnitude, x.magnitude));
}

inline Number subtract(const Number& x, const Number& y) {
    return add(x, number(!y.negative, y.magnitude));
}

inline Number multiply(const Number& x, const Number& y) {
    return number(x.negative != y.negative, multiplyMagnitudes(x.magnitude, y.magnitude));
}

// Canonical text: "0", or digits without leading zeros with "-" in front of a negative value.
inline Text canonical(const Number& x) {
    return wide((x.negative ? "-" : "") + x.magnitude);
}

inline std::string randomDigits(std::mt19937& rng, std::size_t count) {
    std::uniform_int_distribution<int> digit(0, 9);
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(static_cast<char>('0' + digit(rng)));
    }
    return out;
}

inline std::size_t randomSize(std::mt19937& rng, std::size_t low, std::size_t high) {
    return std::uniform_int_distribution<std::size_t>(low, high)(rng);
}

inline bool chance(std::mt19937& rng, int percent) {
    return std::uniform_int_distribution<int>(0, 99)(rng) < percent;
}

// Random digits with at least one that is not "0".
inline std::string randomNonZeroDigits(std::mt19937& rng, std::size_t count) {
    std::string digits = randomDigits(rng, count);
    if (digits.find_first_not_of('0') == std::string::npos) {
        digits[randomSize(rng, 0, count - 1)] = static_cast<char>('1' + randomSize(rng, 0, 8));
    }
    return digits;
}

// A random integer text: optional sign ("-", or sometimes "+"), sometimes leading zeros and a
// blank, and its value.
struct RandomInteger {
    Text text;
    Number value;
    bool negative;  // the sign as written, also on a zero
};

inline RandomInteger randomInteger(std::mt19937& rng, std::size_t maxDigits, bool nonZero) {
    const std::size_t count = randomSize(rng, 1, maxDigits);
    std::string digits = nonZero ? randomNonZeroDigits(rng, count) : randomDigits(rng, count);
    if (chance(rng, 20)) {
        digits.insert(0, randomSize(rng, 1, 3), '0');
    }
    const bool negative = chance(rng, 50);
    std::string text = (negative ? "-" : (chance(rng, 15) ? "+" : "")) + digits;
    if (chance(rng, 10)) {
        text.insert(randomSize(rng, 0, text.size()), 1, ' ');
    }
    return {wide(text), number(negative, digits), negative};
}

// A random number text with at most one point and a value that is not zero: optional sign,
// integer digits (perhaps none, perhaps with leading zeros), perhaps a point, fraction digits
// (perhaps none, perhaps with trailing zeros).
struct RandomReal {
    Text text;
    bool negative = false;
    bool hasPoint = false;
    // The operand scaled to an integer by its fraction part, the digits after the point or "0"
    // when there are none: its magnitude and the length of that fraction part.
    std::string scaledMagnitude;
    std::size_t fractionLength = 0;
};

inline RandomReal randomReal(std::mt19937& rng, std::size_t maxDigits) {
    for (;;) {
        const std::string integerDigits = randomDigits(rng, randomSize(rng, 0, maxDigits));
        const bool point = integerDigits.empty() || chance(rng, 75);
        const std::string fraction = point ? randomDigits(rng, randomSize(rng, 0, maxDigits)) : "";
        if ((integerDigits + fraction).find_first_not_of('0') == std::string::npos) {
            continue;
        }
        RandomReal real;
        real.negative = chance(rng, 45);
        real.hasPoint = point;
        const std::string sign = real.negative ? "-" : (chance(rng, 10) ? "+" : "");
        real.text = wide(sign + integerDigits + (point ? "." : "") + fraction);
        real.fractionLength = fraction.empty() ? 1 : fraction.size();
        real.scaledMagnitude = trimZeros(integerDigits + (fraction.empty() ? "0" : fraction));
        return real;
    }
}

// The signed value of the operand times 10 to the power `fractionLength`, which is not smaller
// than its own fraction length.
inline Number scaledTo(const RandomReal& real, std::size_t fractionLength) {
    return number(real.negative,
                  real.scaledMagnitude + std::string(fractionLength - real.fractionLength, '0'));
}

}  // namespace kestrum::aserv::support
