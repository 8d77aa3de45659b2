#include "limb_ops.h"

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
        const Limb s = a[i] + b[i] + carry;
        carry = s >= kBase ? 1 : 0;
        r[i] = s - (carry != 0 ? kBase : 0);
    }
    for (; i < na && carry != 0; ++i) {
        const Limb s = a[i] + 1;
        carry = s == kBase ? 1 : 0;
        r[i] = carry != 0 ? 0 : s;
    }
    for (; i < na; ++i) {
        r[i] = a[i];
    }
    return carry;
}

Limb subLimbs(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    Limb borrow = 0;
    std::size_t i = 0;
    for (; i < nb; ++i) {
        const Limb d = a[i] - b[i] - borrow;
        borrow = d >= kBase ? 1 : 0;  // wrapped below zero
        r[i] = d + (borrow != 0 ? kBase : 0);
    }
    for (; i < na && borrow != 0; ++i) {
        borrow = a[i] == 0 ? 1 : 0;
        r[i] = borrow != 0 ? kBase - 1 : a[i] - 1;
    }
    for (; i < na; ++i) {
        r[i] = a[i];
    }
    return borrow;
}

Limb mulLimb(Limb* r, const Limb* a, std::size_t n, Limb m) {
    Limb carry = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const LimbPair p = splitBase(mulWide(a[i], m) + carry);
        r[i] = p.low;
        carry = p.high;
    }
    return carry;
}

Limb subMulLimb(Limb* r, const Limb* a, std::size_t n, Limb m) {
    constexpr auto kSignedBase = static_cast<std::int64_t>(kBase);
    Limb carry = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const LimbPair p = splitBase(mulWide(a[i], m));
        // r[i] - p.low - carry lies in (-2 * base, base).
        std::int64_t d = static_cast<std::int64_t>(r[i]) - static_cast<std::int64_t>(p.low) -
                         static_cast<std::int64_t>(carry);
        carry = p.high;
        if (d < 0) {
            d += kSignedBase;
            ++carry;
            if (d < 0) {
                d += kSignedBase;
                ++carry;
            }
        }
        r[i] = static_cast<Limb>(d);
    }
    return carry;
}

Limb divLimb(Limb* q, const Limb* a, std::size_t n, const Divisor& d) {
    Limb rem = 0;
    for (std::size_t i = n; i-- != 0;) {
        const Wide w = mulWide(rem, kBase) + a[i];
        q[i] = d.divide(highWord(w), lowWord(w), rem);
    }
    return rem;
}

}  // namespace kestrum::aserv::kernel::detail
