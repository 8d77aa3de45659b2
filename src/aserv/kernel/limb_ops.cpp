#include "limb_ops.h"

#include <algorithm>
#include <cstdint>

namespace kestrum::aserv::kernel::detail {

int compareLimbs(const Limb* a, const Limb* b, std::size_t n) {
    for (std::size_t i = n; i-- != 0;) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return 0;
}

namespace {

// r[0..na) = a op b for na >= nb, where step(x, y, carry) is one limb of the operation with its
// 0/1 carry (or borrow) in and out, and bump(x, carry) passes a carry of 1 into the limb x. The
// carry passes from limb to limb, so the limbs of b are worked in two halves side by side, and
// the lower half's carry is then taken up through the upper half. (When the upper half carries
// out, its limbs are not all nines after an addition, nor all zeros after a subtraction, so the
// lower half's carry stops inside it: the carry out stays 0 or 1.) Returns the carry out.
template <typename Step, typename Bump>
Limb twoHalves(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb, Step step,
               Bump bump) {
    const std::size_t half = nb / 2;
    Limb low = 0;
    Limb carry = 0;
    for (std::size_t i = 0; i < half; ++i) {
        r[i] = step(a[i], b[i], low);
        r[half + i] = step(a[half + i], b[half + i], carry);
    }
    if (nb % 2 != 0) {
        r[nb - 1] = step(a[nb - 1], b[nb - 1], carry);
    }
    for (std::size_t i = half; i < nb && low != 0; ++i) {
        r[i] = bump(r[i], low);
    }
    carry += low;
    std::size_t i = nb;
    for (; i < na && carry != 0; ++i) {
        r[i] = bump(a[i], carry);
    }
    if (r != a) {
        std::copy(a + i, a + na, r + i);
    }
    return carry;
}

}  // namespace

Limb addLimbs(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    const auto step = [](Limb x, Limb y, Limb& carry) { return addWithCarry(x, y, carry); };
    return twoHalves(r, a, na, b, nb, step, [](Limb x, Limb& carry) {
        const Limb s = x + 1;
        carry = s == kBase ? 1 : 0;
        return carry != 0 ? 0 : s;
    });
}

// As in addWithCarry, the borrow is a 0/1 word and the base goes back through a mask.
Limb subLimbs(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    const auto step = [](Limb x, Limb y, Limb& borrow) {
        y += borrow;
        borrow = x < y ? 1U : 0U;
        return x - y + (kBase & (0 - borrow));
    };
    return twoHalves(r, a, na, b, nb, step, [](Limb x, Limb& borrow) {
        borrow = x == 0 ? 1 : 0;
        return borrow != 0 ? kBase - 1 : x - 1;
    });
}

Limb mulLimb(Limb* r, const Limb* a, std::size_t n, Limb m) {
    const BaseMultiplier mul(m);
    Limb carry = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const LimbPair p = mul.split(a[i]);
        // p.low + carry < 3 * base: at most two base units go up.
        Limb s = p.low + carry;
        const Limb over = (s >= kBase ? 1U : 0U) + (s >= 2 * kBase ? 1U : 0U);
        s -= over * kBase;
        r[i] = s;
        carry = p.high + over;
    }
    return carry;
}

namespace {

// One place of r -= a * m: r[i] - (low + carry) lies in (-3 * base - 2, base), so up to three
// base units are borrowed, and the carry to the next place is high + borrow.
struct SubMulStep {
    BaseMultiplier mul;

    Limb operator()(Limb& place, Limb a, Limb carry) const {
        constexpr auto kSignedBase = static_cast<std::int64_t>(kBase);
        const LimbPair p = mul.split(a);
        std::int64_t d =
            static_cast<std::int64_t>(place) - static_cast<std::int64_t>(p.low + carry);
        const Limb borrow =
            (d < 0 ? 1U : 0U) + (d < -kSignedBase ? 1U : 0U) + (d < -2 * kSignedBase ? 1U : 0U);
        d += static_cast<std::int64_t>(borrow) * kSignedBase;
        place = static_cast<Limb>(d);
        return p.high + borrow;
    }
};

}  // namespace

// The carry passes from place to place through several dependent steps, so the row is worked
// as two halves side by side, and the lower half's carry is taken from the upper half at the
// end (it rarely reaches past the first place).
Limb subMulLimb(Limb* r, const Limb* a, std::size_t n, Limb m) {
    constexpr auto kSignedBase = static_cast<std::int64_t>(kBase);
    const SubMulStep step{BaseMultiplier(m)};
    const std::size_t half = n / 2;
    Limb low = 0;
    Limb high = 0;
    for (std::size_t i = 0; i < half; ++i) {
        low = step(r[i], a[i], low);
        high = step(r[half + i], a[half + i], high);
    }
    if (n % 2 != 0) {
        high = step(r[n - 1], a[n - 1], high);
    }
    // low is at most base + 1: up to two base units borrowed.
    for (std::size_t i = half; i < n && low != 0; ++i) {
        std::int64_t d = static_cast<std::int64_t>(r[i]) - static_cast<std::int64_t>(low);
        low = (d < 0 ? 1U : 0U) + (d < -kSignedBase ? 1U : 0U);
        d += static_cast<std::int64_t>(low) * kSignedBase;
        r[i] = static_cast<Limb>(d);
    }
    return high + low;
}

Limb divLimb(Limb* q, const Limb* a, std::size_t n, const Divisor& d) {
    // The remainder stays scaled by 2^shift, which keeps the shifts off the chain from limb to
    // limb: (rem * base + a[i]) * 2^shift = scaled rem * base + a[i] * 2^shift. As d is below
    // 10^18 < 2^60, shift is at least 4.
    const int shift = d.shift();
    Limb rem = 0;
    for (std::size_t i = n; i-- != 0;) {
        const Limb x = a[i];
        const Wide scaled = makeWide(x >> (64 - shift), x << shift);
        const Wide w = mulWide(rem, kBase) + scaled;
        q[i] = d.divideScaled(highWord(w), lowWord(w), rem);
    }
    return rem >> shift;
}

}  // namespace kestrum::aserv::kernel::detail
