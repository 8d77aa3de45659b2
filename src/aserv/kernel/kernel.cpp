#include "kernel.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "digits.h"
#include "divide.h"
#include "limb_buffer.h"
#include "limb_ops.h"
#include "multiply.h"
#include "ntt.h"
#include "short_divide.h"

namespace kestrum::aserv::kernel {
namespace {

using detail::Limb;

using detail::LimbBuffer;
using detail::LimbVector;

// Parses into the low limbs of a buffer with `extra` zero limbs on top.
class ParsedLimbs : public LimbBuffer {
  public:
    explicit ParsedLimbs(std::u16string_view digits, std::size_t extra = 0)
        : LimbBuffer(detail::limbsFor(digits.size()) + extra) {
        detail::parseLimbs(digits, data());
    }
};

// Values of up to 19 digits are below 10^19 < 2^64: one machine word holds them.
constexpr std::size_t kWordDigits = 19;

std::uint64_t wordOf(std::u16string_view digits) {
    return detail::parseWord(digits.data(), digits.size());
}

void wordToText(std::uint64_t v, std::u16string& out) {
    const detail::LimbPair split = detail::splitWord(v);
    const std::array<Limb, 2> limbs = {split.low, split.high};
    detail::limbsToText(limbs.data(), limbs.size(), out);
}

std::u16string wordToText(std::uint64_t v) {
    std::u16string text;
    wordToText(v, text);
    return text;
}

void multiplyByShortTransform(std::u16string_view a, std::u16string_view b, std::u16string& out) {
    const std::size_t na = detail::shortLimbsFor(a.size());
    const std::size_t nb = detail::shortLimbsFor(b.size());
    LimbVector limbs(2 * (na + nb));
    Limb* x = limbs.data();
    Limb* y = x + na;
    Limb* product = y + nb;
    detail::parseShortLimbs(a, x);
    detail::parseShortLimbs(b, y);
    detail::multiplyTransformShort(product, x, na, y, nb);
    detail::shortLimbsToText(product, na + nb, out);
}

std::u16string canonical(std::u16string_view stripped) {
    return stripped.empty() ? std::u16string(u"0") : std::u16string(stripped);
}

}  // namespace

std::size_t significantLength(std::u16string_view digits) {
    return detail::stripZeros(digits).size();
}

std::u16string_view stripLeadingZeros(std::u16string_view digits) {
    return detail::stripZeros(digits);
}

int compareMagnitudes(std::u16string_view a, std::u16string_view b) {
    return detail::compareStripped(detail::stripZeros(a), detail::stripZeros(b));
}

void addMagnitudes(std::u16string_view a, std::u16string_view b, std::u16string& out) {
    a = detail::stripZeros(a);
    b = detail::stripZeros(b);
    if (a.size() < kWordDigits && b.size() < kWordDigits) {
        wordToText(wordOf(a) + wordOf(b), out);  // below 2 * 10^18
        return;
    }
    if (a.size() < b.size()) {
        std::swap(a, b);
    }
    ParsedLimbs x(a, 1);
    const ParsedLimbs y(b);
    const std::size_t n = x.size() - 1;
    x[n] = detail::addLimbs(x.data(), x.data(), n, y.data(), y.size());
    detail::limbsToText(x.data(), x.size(), out);
}

void subtractMagnitudes(std::u16string_view a, std::u16string_view b, std::u16string& out) {
    a = detail::stripZeros(a);
    b = detail::stripZeros(b);
    if (a.size() <= kWordDigits) {
        wordToText(wordOf(a) - wordOf(b), out);
        return;
    }
    ParsedLimbs x(a);
    const ParsedLimbs y(b);
    detail::subLimbs(x.data(), x.data(), x.size(), y.data(), y.size());
    detail::limbsToText(x.data(), x.size(), out);
}

void multiplyMagnitudes(std::u16string_view a, std::u16string_view b, std::u16string& out) {
    a = detail::stripZeros(a);
    b = detail::stripZeros(b);
    if (a.empty() || b.empty()) {
        out.assign(1, u'0');
        return;
    }
    if (a.size() + b.size() <= kWordDigits) {
        wordToText(wordOf(a) * wordOf(b), out);  // below 10^19
        return;
    }
    if (a.size() <= detail::kLimbDigits && b.size() <= detail::kLimbDigits) {
        // Below 10^36: the high word is below 10^36 / 2^64 < 10^18, as the division needs.
        const detail::Wide w = detail::mulWide(wordOf(a), wordOf(b));
        Limb low = 0;
        const Limb high = detail::kBaseDivisor.divide(detail::highWord(w), detail::lowWord(w), low);
        const std::array<Limb, 2> limbs = {low, high};
        detail::limbsToText(limbs.data(), limbs.size(), out);
        return;
    }
    if (a.size() < b.size()) {
        std::swap(a, b);
    }
    if (b.size() >= detail::shortTransformDigits() &&
        detail::transformFits(detail::shortLimbsFor(a.size()), detail::shortLimbsFor(b.size()))) {
        multiplyByShortTransform(a, b, out);
        return;
    }
    const ParsedLimbs x(a);
    const ParsedLimbs y(b);
    LimbBuffer product(x.size() + y.size() + detail::multiplyScratch(x.size(), y.size()));
    detail::multiplyLimbs(product.data(), x.data(), x.size(), y.data(), y.size(),
                          product.data() + x.size() + y.size());
    detail::limbsToText(product.data(), x.size() + y.size(), out);
}

Division divideMagnitudes(std::u16string_view a, std::u16string_view b) {
    a = detail::stripZeros(a);
    b = detail::stripZeros(b);
    if (detail::compareStripped(a, b) < 0) {
        return {u"0", canonical(a)};
    }
    if (a.size() <= kWordDigits) {
        std::uint64_t remainder = 0;
        const std::uint64_t quotient = detail::divideValues(wordOf(a), wordOf(b), remainder);
        return {wordToText(quotient), wordToText(remainder)};
    }
    if (b.size() <= detail::kLimbDigits) {
        detail::TextQuotient d = detail::divideTextByLimb(a, wordOf(b));
        return {std::move(d.quotient), detail::limbsToText(&d.remainder, 1)};
    }
    const ParsedLimbs x(a);
    const ParsedLimbs y(b);
    const detail::LimbQuotient d = detail::divideLimbs(x.data(), x.size(), y.data(), y.size());
    return {detail::limbsToText(d.quotient.data(), d.quotient.size()),
            detail::limbsToText(d.remainder.data(), d.remainder.size())};
}

}  // namespace kestrum::aserv::kernel
