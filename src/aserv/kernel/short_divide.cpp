#include "short_divide.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "digits.h"

namespace kestrum::aserv::kernel::detail {
namespace {

// One step of the division chain with the remainder kept scaled by 2^shift, as in divLimb.
class ScaledChain {
  public:
    using Quotient = Limb;

    explicit ScaledChain(Limb d) : divisor_(d), shift_(divisor_.shift()) {}

    // Divides rem * base + x by d; the scaled remainder is updated.
    Limb step(Limb x) {
        const Wide scaled = makeWide(x >> (64 - shift_), x << shift_);
        const Wide w = mulWide(rem_, kBase) + scaled;
        return divisor_.divideScaled(highWord(w), lowWord(w), rem_);
    }

    Limb remainder() const { return rem_ >> shift_; }

    static Limb limbOf(Limb q) { return q; }
    static void write(char16_t* out, Limb q) { formatLimb(out, q); }

  private:
    Divisor divisor_;
    int shift_;  // at least 4, as d < 10^18 < 2^60
    Limb rem_ = 0;
};

// The chain for narrow words: each limb is divided as its two halves by 10^9, and each quotient
// half (rem * 10^9 + x) / d is estimated in double precision from precomputed multiples of 1 / d.
// The estimate, below 10^9, is off by a few millionths at most before it is cut to an integer, so
// the quotient is it or one off; the remainder, computed modulo 2^64, lies in (-d, 2d) and settles
// which. Every product is of a 64-bit word and a 32-bit one, and the remainder enters the
// estimate as two signed 32-bit words, which convert to doubles in one instruction each.
class EstimatedChain {
  public:
    using Quotient = LimbHalves;

    explicit EstimatedChain(Limb d)
        : d_(d),
          lowScale_(static_cast<double>(kHalfBase) / static_cast<double>(d)),
          highScale_(lowScale_ * 4'294'967'296.0),
          inverse_(1.0 / static_cast<double>(d)) {}

    LimbHalves step(Limb x) {
        const LimbHalves halves = cutHalves(x);
        const std::uint32_t high = half(halves.high);
        return {high, half(halves.low)};
    }

    Limb remainder() const { return rem_; }

    static Limb limbOf(LimbHalves q) { return Limb{q.high} * kHalfBase + q.low; }
    static void write(char16_t* out, LimbHalves q) { formatHalves(out, q); }

  private:
    std::uint32_t half(std::uint32_t x) {
        // rem_ = upper * 2^32 + lower, with lower read as a signed word: upper gains its top bit.
        const auto lower = static_cast<std::uint32_t>(rem_);
        const auto upper = static_cast<std::uint32_t>(rem_ >> 32) + (lower >> 31);
        const double estimate =
            (static_cast<double>(static_cast<std::int32_t>(upper)) * highScale_ +
             static_cast<double>(static_cast<std::int32_t>(lower)) * lowScale_) +
            static_cast<double>(static_cast<std::int32_t>(x)) * inverse_;
        auto q = static_cast<std::uint32_t>(static_cast<std::int32_t>(estimate));
        auto r = static_cast<std::int64_t>(rem_ * kHalfBase + x - Limb{q} * d_);
        if (r < 0) {
            --q;
            r += static_cast<std::int64_t>(d_);
        } else if (r >= static_cast<std::int64_t>(d_)) {
            ++q;
            r -= static_cast<std::int64_t>(d_);
        }
        rem_ = static_cast<Limb>(r);
        return q;
    }

    Limb d_;
    double lowScale_;   // 10^9 / d
    double highScale_;  // 2^32 * 10^9 / d
    double inverse_;    // 1 / d
    Limb rem_ = 0;
};

using Chain = std::conditional_t<kNarrowWords, EstimatedChain, ScaledChain>;

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

    Chain chain(d);
    Limb first = Chain::limbOf(chain.step(parseWord(a.data(), head)));
    // a >= d, so when the top group is below d the next quotient limb is nonzero.
    if (first == 0) {
        first = Chain::limbOf(chain.step(parseLimb(p)));
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
    std::array<Chain::Quotient, kLag> pending{};
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
            const Chain::Quotient q = chain.step(x);
            Chain::write(out, pending[j]);
            out += kLimbDigits;
            pending[j] = q;
        }
    }
    for (; i < groups; ++i) {
        const Limb x = ahead[i % kLag];
        ahead[i % kLag] = i + kLag < groups ? group(i + kLag) : 0;
        const Chain::Quotient q = chain.step(x);
        Chain::write(out, pending[i % kLag]);
        out += kLimbDigits;
        pending[i % kLag] = q;
    }
    for (std::size_t k = groups - lead; k < groups; ++k) {
        Chain::write(out, pending[k % kLag]);
        out += kLimbDigits;
    }
    return {std::move(quotient), chain.remainder()};
}

}  // namespace kestrum::aserv::kernel::detail
