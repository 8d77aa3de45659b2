#include "general/int_add_sub.h"

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "general/int_comp.h"
#include "text/int16.h"
#include "text/no_spaces.h"
#include "text/number_text.h"

namespace kestrum::aserv::general {

namespace {

constexpr int kDigitBase = 10;

void requireDigits(TextView a, TextView b, int errorNumber) {
    if (!allDigits(a) || !allDigits(b)) {
        raise(errorNumber);
    }
}

// Sum of two digit strings, zero-filled to a common length; canonical form, no sign.
Text addDigits(TextView a, TextView b) {
    const std::size_t width = std::max(a.size(), b.size());
    Text sum(width + 1, kZero);
    int carry = 0;
    for (std::size_t i = width; i-- > 0;) {
        int s = (zeroFilledAt(a, width, i) - kZero) + (zeroFilledAt(b, width, i) - kZero) + carry;
        carry = s >= kDigitBase ? 1 : 0;
        s -= carry * kDigitBase;
        sum[i + 1] = static_cast<char16_t>(kZero + s);
    }
    sum[0] = static_cast<char16_t>(kZero + carry);
    return Text(stripLeadingZeros(sum));
}

// Difference of two digit strings, zero-filled to a common length, with `larger` not smaller
// than `smaller`; canonical form, no sign. A final borrow (none with digits in that order) is
// dropped.
Text subtractDigits(TextView larger, TextView smaller) {
    const std::size_t width = std::max(larger.size(), smaller.size());
    Text difference(width, kZero);
    int borrow = 0;
    for (std::size_t i = width; i-- > 0;) {
        const int x = zeroFilledAt(larger, width, i) - kZero;
        const int y = zeroFilledAt(smaller, width, i) - kZero;
        const int t = x - borrow;
        borrow = y > t ? 1 : 0;
        difference[i] = static_cast<char16_t>(kZero + t - y + borrow * kDigitBase);
    }
    return Text(stripLeadingZeros(difference));
}

}  // namespace

namespace {

enum class Operation { kAdd, kSubtract };

// How a level of the mutual recursion forms its result from the one it hands on.
enum class SignRule {
    kKeep,             // the inner result as it is
    kMinus,            // "-" in front of the inner result
    kMinusUnlessZero,  // "-" in front, unless the inner result is "0"
};

// One level: either it ends with a result (the same-sign digit loops and the trivial cases of
// subtraction), or it hands two magnitudes on to the other operation.
struct Level {
    bool ends = false;
    Text result;
    SignRule rule = SignRule::kKeep;
    TextView first;
    TextView second;
};

Level endsWith(Text result) {
    return {true, std::move(result), SignRule::kKeep, {}, {}};
}

Level handsOn(SignRule rule, TextView first, TextView second) {
    return {false, {}, rule, first, second};
}

Level addLevel(TextView a, TextView b) {
    requireOperandLength(a);
    requireOperandLength(b);
    const auto [x, y] = splitSigns(a, b);
    if (x.sign == y.sign) {
        requireDigits(x.magnitude, y.magnitude, kNonDigitInAddition);
        Text sum = addDigits(x.magnitude, y.magnitude);
        const bool negative = x.sign == -1 && sum != u"0";
        return endsWith(withSign(negative, std::move(sum)));
    }
    // Different signs: subtract the magnitude that is not smaller.
    if (compareBlankFree(x.magnitude, y.magnitude) >= 0) {
        const SignRule rule = x.sign == -1 ? SignRule::kMinusUnlessZero : SignRule::kKeep;
        return handsOn(rule, x.magnitude, y.magnitude);
    }
    const SignRule rule = x.sign == 1 ? SignRule::kMinus : SignRule::kKeep;
    return handsOn(rule, y.magnitude, x.magnitude);
}

Level subtractLevel(TextView a, TextView b) {
    requireOperandLength(a);
    requireOperandLength(b);
    const int order = compareBlankFree(a, b);
    if (order == 0) {
        return endsWith(u"0");
    }
    if (compareBlankFree(b, u"0") == 0) {
        return endsWith(Text(a));
    }
    const auto [x, y] = splitSigns(a, b);
    if (x.sign != y.sign) {
        const SignRule rule = order == -1 ? SignRule::kMinus : SignRule::kKeep;
        return handsOn(rule, x.magnitude, y.magnitude);
    }
    TextView larger = x.magnitude;
    TextView smaller = y.magnitude;
    if ((order == -1 && x.sign == 1) || (order == 1 && x.sign == -1)) {
        std::swap(larger, smaller);
    }
    requireDigits(larger, smaller, kNonDigitInSubtraction);
    Text difference = subtractDigits(larger, smaller);
    const bool negative = order == -1 && difference != u"0";
    return endsWith(withSign(negative, std::move(difference)));
}

// Addition and subtraction call each other, one sign character fewer at each call, for
// operands of different signs. Operands that begin with thousands of signs would make that
// recursion as deep, so it runs as a loop: the levels are walked down to the one that ends, and
// their sign rules are then applied from the innermost outwards.
Text addOrSubtract(Operation operation, TextView a, TextView b) {
    std::vector<SignRule> rules;
    for (;;) {
        Level level = operation == Operation::kAdd ? addLevel(a, b) : subtractLevel(a, b);
        if (level.ends) {
            Text result = std::move(level.result);
            std::size_t minus = 0;
            for (auto rule = rules.rbegin(); rule != rules.rend(); ++rule) {
                if (*rule == SignRule::kMinus ||
                    (*rule == SignRule::kMinusUnlessZero && (minus > 0 || result != u"0"))) {
                    ++minus;
                }
            }
            result.insert(0, minus, kMinus);
            return result;
        }
        rules.push_back(level.rule);
        a = level.first;
        b = level.second;
        operation = operation == Operation::kAdd ? Operation::kSubtract : Operation::kAdd;
    }
}

}  // namespace

Text addBlankFree(TextView a, TextView b) {
    return addOrSubtract(Operation::kAdd, a, b);
}

Text subtractBlankFree(TextView a, TextView b) {
    return addOrSubtract(Operation::kSubtract, a, b);
}

void intAdd(TextView a1, TextView a2, Text& result) {
    const Text a = noSpaces(a1);
    const Text b = noSpaces(a2);
    result = addBlankFree(a, b);
}

void intSub(TextView a1, TextView a2, Text& result) {
    const Text a = noSpaces(a1);
    const Text b = noSpaces(a2);
    result = subtractBlankFree(a, b);
}

}  // namespace kestrum::aserv::general
