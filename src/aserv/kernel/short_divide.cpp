#include "short_divide.h"

#include <algorithm>
#include <array>
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

// How many steps a quotient limb waits before it is written; a power of two, and the count the
// main loop is unrolled by.
constexpr std::size_t kLag = 4;

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
    // Each group is read a few steps before its division step and each quotient limb written a
    // few steps after it is found, so that the reading and the writing work on limbs that are
    // ready while the chain of steps goes on: a read that the CPU holds back behind a write (as
    // it does when their addresses agree in the low 12 bits) does not hold back the chain.
    std::array<Limb, kLag> ahead{};
    std::array<Limb, kLag> pending{};
    const auto group = [p](std::size_t index) { return parseLimb(p + index * kLimbDigits); };
    const std::size_t lead = std::min(groups, kLag);
    for (std::size_t i = 0; i < lead; ++i) {
        ahead[i] = group(i);
    }
    for (std::size_t i = 0; i < lead; ++i) {
        const Limb x = ahead[i];
        ahead[i] = i + kLag < groups ? group(i + kLag) : 0;
        pending[i] = chain.step(x);
    }
    std::size_t i = lead;
    for (; i + 2 * kLag <= groups; i += kLag) {
#pragma GCC unroll 4
        for (std::size_t j = 0; j < kLag; ++j) {
            const Limb x = ahead[j];
            ahead[j] = group(i + j + kLag);
            const Limb q = chain.step(x);
            formatLimb(out, pending[j]);
            out += kLimbDigits;
            pending[j] = q;
        }
    }
    for (; i < groups; ++i) {
        const Limb x = ahead[i % kLag];
        ahead[i % kLag] = i + kLag < groups ? group(i + kLag) : 0;
        const Limb q = chain.step(x);
        formatLimb(out, pending[i % kLag]);
        out += kLimbDigits;
        pending[i % kLag] = q;
    }
    for (std::size_t k = groups - lead; k < groups; ++k) {
        formatLimb(out, pending[k % kLag]);
        out += kLimbDigits;
    }
    return {std::move(quotient), chain.remainder()};
}

}  // namespace kestrum::aserv::kernel::detail
