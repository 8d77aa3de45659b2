#include "divide_halves.h"

#include <algorithm>
#include <array>
#include <vector>

namespace kestrum::aserv::kernel::detail {
namespace {

constexpr Half kHalfRadix = 1'000'000'000;

// Products a * m for a fixed m < 10^9 and halves a < 10^9 split into base-10^9 digits with one
// high product (after Shoup): with m' = floor(m * 2^32 / 10^9), floor(a * m' / 2^32) falls short
// of the high digit by at most one, so the low digit computed from it lies in [0, 2 * 10^9),
// which the 32-bit low products give exactly. The low digit is returned unreduced.
class HalfMultiplier {
  public:
    explicit HalfMultiplier(Half m) : m_(m) {
        Half rem = 0;
        scaled_ = divideWord(m, 0, kHalfRadix, rem);
    }

    // a * m as high * 10^9 + low with high at most 10^9 - 2 and low below 2 * 10^9.
    void split(Half a, Half& high, Half& low) const {
        high = static_cast<Half>((std::uint64_t{a} * scaled_) >> 32);
        low = a * m_ - high * kHalfRadix;
    }

  private:
    Half m_;
    Half scaled_ = 0;
};

// One place of r -= b * m with the carry from the place below (at most 10^9 + 1): the amount
// taken stays below 3 * 10^9 + 1, so up to three base units are borrowed; returns the carry to
// the next place.
struct SubMulHalfStep {
    HalfMultiplier mul;

    Half operator()(Half& place, Half b, Half carry) const {
        Half high = 0;
        Half low = 0;
        mul.split(b, high, low);
        const Half taken = low + carry;
        const Half p = place;
        const Half borrow = (taken > p ? 1U : 0U) + (taken > p + kHalfRadix ? 1U : 0U) +
                            (taken > p + 2 * kHalfRadix ? 1U : 0U);
        place = p + borrow * kHalfRadix - taken;
        return high + borrow;
    }
};

// r[0..n) -= b * m; returns what is still to be taken from r[n] (at most 10^9 + 1). As in
// subMulLimb, the two halves of the row are worked side by side, and the lower half's carry is
// then taken up through the upper half.
Half subMulHalves(Half* r, const Half* b, std::size_t n, Half m) {
    const SubMulHalfStep step{HalfMultiplier(m)};
    const std::size_t half = n / 2;
    Half low = 0;
    Half high = 0;
    for (std::size_t i = 0; i < half; ++i) {
        low = step(r[i], b[i], low);
        high = step(r[half + i], b[half + i], high);
    }
    if (n % 2 != 0) {
        high = step(r[n - 1], b[n - 1], high);
    }
    // low is at most 10^9 + 1: up to two base units borrowed.
    for (std::size_t i = half; i < n && low != 0; ++i) {
        const Half p = r[i];
        const Half borrow = (low > p ? 1U : 0U) + (low > p + kHalfRadix ? 1U : 0U);
        r[i] = p + borrow * kHalfRadix - low;
        low = borrow;
    }
    return high + low;
}

// r[0..n) += b[0..n), the carry out dropped.
void addHalves(Half* r, const Half* b, std::size_t n) {
    Half carry = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Half s = r[i] + b[i] + carry;
        carry = s >= kHalfRadix ? 1U : 0U;
        r[i] = s - carry * kHalfRadix;
    }
}

// r[0..n) = a * m for m < 10^9; returns the carry half.
Half mulHalves(Half* r, const Half* a, std::size_t n, Half m) {
    const HalfMultiplier mul(m);
    Half carry = 0;
    for (std::size_t i = 0; i < n; ++i) {
        Half high = 0;
        Half low = 0;
        mul.split(a[i], high, low);
        // low + carry < 3 * 10^9: up to two base units go up.
        Half s = low + carry;
        const Half over = (s >= kHalfRadix ? 1U : 0U) + (s >= 2 * kHalfRadix ? 1U : 0U);
        s -= over * kHalfRadix;
        r[i] = s;
        carry = high + over;
    }
    return carry;
}

// r[0..n) = a / d for 0 < d < 10^9; returns the remainder.
Half divHalves(Half* r, const Half* a, std::size_t n, Half d) {
    Half rem = 0;
    for (std::size_t i = n; i-- != 0;) {
        const std::uint64_t x = std::uint64_t{rem} * kHalfRadix + a[i];
        r[i] = divideWord(static_cast<Half>(x >> 32), static_cast<Half>(x), d, rem);
    }
    return rem;
}

// Half storage on the stack for short operands, else on the heap; zero-initialised.
class HalfBuffer {
  public:
    explicit HalfBuffer(std::size_t size) {
        if (size <= kInline) {
            inline_.fill(0);
            data_ = inline_.data();
        } else {
            heap_.assign(size, 0);
            data_ = heap_.data();
        }
    }
    HalfBuffer(const HalfBuffer&) = delete;
    HalfBuffer& operator=(const HalfBuffer&) = delete;
    HalfBuffer(HalfBuffer&&) = delete;
    HalfBuffer& operator=(HalfBuffer&&) = delete;
    ~HalfBuffer() = default;

    [[nodiscard]] Half* data() { return data_; }

  private:
    static constexpr std::size_t kInline = 128;
    std::array<Half, kInline> inline_;  // NOLINT: filled when used
    std::vector<Half> heap_;
    Half* data_ = nullptr;
};

void splitLimbs(Half* out, const Limb* limbs, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const LimbHalves h = cutHalves(limbs[i]);
        out[2 * i] = h.low;
        out[2 * i + 1] = h.high;
    }
}

// out[0..n) from halves[0..count), the halves past count taken as zeros.
void joinHalves(Limb* out, std::size_t n, const Half* halves, std::size_t count) {
    for (std::size_t i = 0; i < n; ++i) {
        const Half low = 2 * i < count ? halves[2 * i] : 0;
        const Half high = 2 * i + 1 < count ? halves[2 * i + 1] : 0;
        out[i] = std::uint64_t{high} * kHalfRadix + low;
    }
}

}  // namespace

void divideHalves(Half* q, Half* a, std::size_t na, const Half* b, std::size_t nb) {
    const Half v1 = b[nb - 1];
    const Half v2 = b[nb - 2];
    for (std::size_t j = na - nb; j-- != 0;) {
        const Half u2 = a[j + nb];
        const Half u1 = a[j + nb - 1];
        const Half u0 = a[j + nb - 2];
        Half qhat = kHalfRadix - 1;
        Half rhat = u1 + v1;  // remainder of u2:u1 / v1 when u2 == v1, below 2 * 10^9
        if (u2 < v1) {
            const std::uint64_t w = std::uint64_t{u2} * kHalfRadix + u1;
            qhat = divideWord(static_cast<Half>(w >> 32), static_cast<Half>(w), v1, rhat);
        }
        while (rhat < kHalfRadix &&
               std::uint64_t{qhat} * v2 > std::uint64_t{rhat} * kHalfRadix + u0) {
            --qhat;
            rhat += v1;
        }
        const Half taken = subMulHalves(a + j, b, nb, qhat);
        if (taken > u2) {
            --qhat;
            addHalves(a + j, b, nb);
        }
        a[j + nb] = 0;
        q[j] = qhat;
    }
}

void divideNormalisedByHalves(Limb* q, Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    const std::size_t nq = na - nb;
    HalfBuffer buffer(2 * (na + nb + nq));
    Half* x = buffer.data();
    Half* y = x + 2 * na;
    Half* quotient = y + 2 * nb;
    splitLimbs(x, a, na);
    splitLimbs(y, b, nb);
    divideHalves(quotient, x, 2 * na, y, 2 * nb);
    joinHalves(q, nq, quotient, 2 * nq);
    joinHalves(a, nb, x, 2 * nb);
    std::fill(a + nb, a + na, Limb{0});
}

LimbQuotient divideByHalves(const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    // The dividend gets one half more on top for the scaling; the divisor drops a zero top half
    // (it keeps at least three, as b >= 10^18).
    const std::size_t xn = 2 * na + 1;
    std::size_t yn = 2 * nb;
    HalfBuffer buffer(2 * xn + yn);
    Half* x = buffer.data();
    Half* y = x + xn;
    Half* quotient = y + yn;
    splitLimbs(x, a, na);
    splitLimbs(y, b, nb);
    if (y[yn - 1] == 0) {
        --yn;
    }
    const Half scale = kHalfRadix / (y[yn - 1] + 1);
    mulHalves(y, y, yn, scale);
    x[xn - 1] = mulHalves(x, x, xn - 1, scale);

    LimbQuotient result;
    result.quotient.assign(na + 1 - nb, 0);
    result.remainder.assign(nb, 0);
    divideHalves(quotient, x, xn, y, yn);
    divHalves(x, x, yn, scale);
    joinHalves(result.quotient.data(), result.quotient.size(), quotient, xn - yn);
    joinHalves(result.remainder.data(), nb, x, yn);
    return result;
}

}  // namespace kestrum::aserv::kernel::detail
