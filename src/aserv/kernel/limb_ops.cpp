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

Limb addLimbs(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    Limb carry = 0;
    std::size_t i = 0;
    for (; i < nb; ++i) {
        r[i] = addWithCarry(a[i], b[i], carry);
    }
    for (; i < na && carry != 0; ++i) {
        const Limb s = a[i] + 1;
        carry = s == kBase ? 1 : 0;
        r[i] = carry != 0 ? 0 : s;
    }
    if (r != a) {
        std::copy(a + i, a + na, r + i);
    }
    return carry;
}

// As in addWithCarry, the borrow is a 0/1 word and the base goes back through a mask.
Limb subLimbs(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    Limb borrow = 0;
    std::size_t i = 0;
    for (; i < nb; ++i) {
        const Limb x = a[i];
        const Limb y = b[i] + borrow;
        borrow = x < y ? 1U : 0U;
        r[i] = x - y + (kBase & (0 - borrow));
    }
    for (; i < na && borrow != 0; ++i) {
        borrow = a[i] == 0 ? 1 : 0;
        r[i] = borrow != 0 ? kBase - 1 : a[i] - 1;
    }
    if (r != a) {
        std::copy(a + i, a + na, r + i);
    }
    return borrow;
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

Limb subMulLimb(Limb* r, const Limb* a, std::size_t n, Limb m) {
    constexpr auto kSignedBase = static_cast<std::int64_t>(kBase);
    const BaseMultiplier mul(m);
    Limb carry = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const LimbPair p = mul.split(a[i]);
        // r[i] - (p.low + carry) lies in (-3 * base - 2, base): up to three base units borrowed.
        std::int64_t d = static_cast<std::int64_t>(r[i]) - static_cast<std::int64_t>(p.low + carry);
        const Limb borrow =
            (d < 0 ? 1U : 0U) + (d < -kSignedBase ? 1U : 0U) + (d < -2 * kSignedBase ? 1U : 0U);
        d += static_cast<std::int64_t>(borrow) * kSignedBase;
        r[i] = static_cast<Limb>(d);
        carry = p.high + borrow;
    }
    return carry;
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
