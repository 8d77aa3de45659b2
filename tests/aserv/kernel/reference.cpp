#include "reference.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace kestrum::aserv::kernel::testing {
namespace {

// Digits least significant first.
using Digits = std::vector<int>;

Digits toDigits(const std::u16string& s) {
    Digits d;
    for (auto it = s.rbegin(); it != s.rend(); ++it) {
        d.push_back(*it - u'0');
    }
    return d;
}

void trim(Digits& d) {
    while (!d.empty() && d.back() == 0) {
        d.pop_back();
    }
}

std::u16string toText(Digits d) {
    trim(d);
    if (d.empty()) {
        return u"0";
    }
    std::u16string s;
    for (auto it = d.rbegin(); it != d.rend(); ++it) {
        s.push_back(static_cast<char16_t>(u'0' + *it));
    }
    return s;
}

int compareDigits(Digits a, Digits b) {
    trim(a);
    trim(b);
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    for (std::size_t i = a.size(); i-- != 0;) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return 0;
}

// a -= b in place, a >= b.
void subtractInPlace(Digits& a, const Digits& b) {
    int borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        int d = a[i] - borrow - (i < b.size() ? b[i] : 0);
        borrow = d < 0 ? 1 : 0;
        a[i] = d + 10 * borrow;
    }
    trim(a);
}

}  // namespace

int referenceCompare(const std::u16string& a, const std::u16string& b) {
    return compareDigits(toDigits(a), toDigits(b));
}

std::u16string referenceAdd(const std::u16string& a, const std::u16string& b) {
    const Digits x = toDigits(a);
    const Digits y = toDigits(b);
    Digits sum;
    int carry = 0;
    for (std::size_t i = 0; i < std::max(x.size(), y.size()); ++i) {
        const int s = (i < x.size() ? x[i] : 0) + (i < y.size() ? y[i] : 0) + carry;
        sum.push_back(s % 10);
        carry = s / 10;
    }
    sum.push_back(carry);
    return toText(sum);
}

std::u16string referenceSubtract(const std::u16string& a, const std::u16string& b) {
    Digits x = toDigits(a);
    subtractInPlace(x, toDigits(b));
    return toText(x);
}

std::u16string referenceMultiply(const std::u16string& a, const std::u16string& b) {
    const Digits x = toDigits(a);
    const Digits y = toDigits(b);
    Digits product(x.size() + y.size() + 1, 0);
    for (std::size_t i = 0; i < x.size(); ++i) {
        int carry = 0;
        for (std::size_t j = 0; j < y.size(); ++j) {
            const int t = product[i + j] + x[i] * y[j] + carry;
            product[i + j] = t % 10;
            carry = t / 10;
        }
        for (std::size_t k = i + y.size(); carry != 0; ++k) {
            const int t = product[k] + carry;
            product[k] = t % 10;
            carry = t / 10;
        }
    }
    return toText(product);
}

ReferenceDivision referenceDivide(const std::u16string& a, const std::u16string& b) {
    const Digits x = toDigits(a);
    const Digits y = toDigits(b);
    Digits remainder;
    Digits quotient(x.size(), 0);
    for (std::size_t i = x.size(); i-- != 0;) {
        remainder.insert(remainder.begin(), x[i]);
        trim(remainder);
        while (compareDigits(remainder, y) >= 0) {
            subtractInPlace(remainder, y);
            ++quotient[i];
        }
    }
    return {toText(quotient), toText(remainder)};
}

}  // namespace kestrum::aserv::kernel::testing
