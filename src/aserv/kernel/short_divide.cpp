#include "short_divide.h"

#include <utility>

#include "digits.h"

namespace kestrum::aserv::kernel::detail {
namespace {

// One step of the division chain with the remainder kept scaled by 2^shift, as in divLimb.
class ScaledChain {
  public:
    explicit ScaledChain(Limb d) : divisor_(d), shift_(divisor_.shift()) {}

    // Divides rem * base + x by d; the scaled remainder is updated.
    Limb step(Limb x) {
        const Wide scaled = makeWide(x >> (64 - shift_), x << shift_);
        const Wide w = mulWide(rem_, kBase) + scaled;
        return divisor_.divideScaled(highWord(w), lowWord(w), rem_);
    }

    Limb remainder() const { return rem_ >> shift_; }

  private:
    Divisor divisor_;
    int shift_;  // at least 4, as d < 10^18 < 2^60
    Limb rem_ = 0;
};

}  // namespace

TextQuotient divideTextByLimb(std::u16string_view a, Limb d) {
    // The top group holds 1 to 18 digits, every other group 18.
    std::size_t head = a.size() % kLimbDigits;
    head = head == 0 ? kLimbDigits : head;
    const char16_t* p = a.data() + head;
    std::size_t groups = (a.size() - head) / kLimbDigits;

    ScaledChain chain(d);
    Limb first = chain.step(parseWord(a.data(), head));
    // a >= d, so when the top group is below d the next quotient limb is nonzero.
    if (first == 0) {
        first = chain.step(parseLimb(p));
        p += kLimbDigits;
        --groups;
    }
    const std::size_t firstDigits = wordDigits(first);
    std::u16string quotient(firstDigits + groups * kLimbDigits, u'0');
    char16_t* out = quotient.data();
    formatLimbs(&first, 1, out);
    out += firstDigits;
    for (std::size_t i = 0; i < groups; ++i) {
        formatLimb(out, chain.step(parseLimb(p)));
        p += kLimbDigits;
        out += kLimbDigits;
    }
    return {std::move(quotient), chain.remainder()};
}

}  // namespace kestrum::aserv::kernel::detail
