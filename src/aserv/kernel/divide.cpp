#include "divide.h"

#include <algorithm>

#include "divide_halves.h"
#include "limb_buffer.h"
#include "limb_ops.h"
#include "multiply.h"

namespace kestrum::aserv::kernel::detail {
namespace {

// Long division of a[0..na) by a normalised b[0..nb) (top limb at least half the base, nb >= 2)
// when a's top nb limbs are below b: q[0..na-nb) gets the quotient, a[0..nb) the remainder and
// the limbs above it are cleared.
void divideSchool(Limb* q, Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    if constexpr (kNarrowWords) {
        divideNormalisedByHalves(q, a, na, b, nb);
        return;
    }
    const Limb v1 = b[nb - 1];
    const Limb v2 = b[nb - 2];
    const Divisor top(v1);
    for (std::size_t j = na - nb; j-- != 0;) {
        const Limb u2 = a[j + nb];
        const Limb u1 = a[j + nb - 1];
        const Limb u0 = a[j + nb - 2];
        Limb qhat = kBase - 1;
        Limb rhat = u1 + v1;  // remainder of u2:u1 / v1 when u2 == v1
        if (u2 < v1) {
            const Wide w = mulWide(u2, kBase) + u1;
            qhat = top.divide(highWord(w), lowWord(w), rhat);
        }
        while (rhat < kBase && mulWide(qhat, v2) > mulWide(rhat, kBase) + u0) {
            --qhat;
            rhat += v1;
        }
        const Limb taken = subMulLimb(a + j, b, nb, qhat);
        if (taken > u2) {
            --qhat;
            addLimbs(a + j, a + j, nb, b, nb);
        }
        a[j + nb] = 0;
        q[j] = qhat;
    }
}

void decrement(Limb* q, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (q[i] != 0) {
            --q[i];
            return;
        }
        q[i] = kBase - 1;
    }
}

void divide2By1(Limb* q, Limb* a, const Limb* b, std::size_t n, Limb* scratch);

// Scratch limbs for the product of divideStep below.
std::size_t stepScratch(std::size_t top, std::size_t low) {
    return top + low + multiplyScratch(std::max(top, low), std::min(top, low));
}

// Scratch limbs that divide2By1 needs for a divisor of n limbs.
std::size_t divisionScratch(std::size_t n) {
    return stepScratch(n - n / 2, n / 2);
}

// One step of the recursive division: top quotient limbs from a[0..2 top + low) by the divisor
// b[0..top + low), whose top limbs b[low..top + low) divide the top of a, when a's top
// top + low limbs are below b. The quotient goes to q[0..top), the remainder to
// a[0..top + low), and the limbs above it are cleared. Uses the larger of divisionScratch(top)
// and stepScratch(top, low) limbs of scratch; top is at least 2.
void divideStep(Limb* q, Limb* a, const Limb* b, std::size_t top, std::size_t low, Limb* scratch) {
    const std::size_t n = top + low;
    if (compareLimbs(a + n, b + low, top) < 0) {
        divide2By1(q, a + low, b + low, top, scratch);
    } else {
        // The top limbs are equal: q = base^top - 1, and [a2 a1] - q * b1 = a1 + b1.
        std::fill(q, q + top, kBase - 1);
        std::fill(a + n, a + n + top, Limb{0});
        a[n] = addLimbs(a + low, a + low, top, b + low, top);
    }
    // The quotient's division above is done with the scratch, which now holds the product.
    Limb* product = scratch;
    if (top >= low) {
        multiplyLimbs(product, q, top, b, low, product + n);
    } else {
        multiplyLimbs(product, b, low, q, top, product + n);
    }
    Limb borrow = subLimbs(a, a, n + top, product, n);
    while (borrow != 0) {
        decrement(q, top);
        borrow -= addLimbs(a, a, n + top, b, n);
    }
}

// a[0..2n) / b[0..n) when a's top half is below b: quotient to q[0..n), remainder to a[0..n).
// The quotient's upper limbs come from the divisor's upper limbs first, then its lower limbs;
// an odd n splits into halves that differ by one limb. Uses divisionScratch(n) limbs of scratch.
void divide2By1(Limb* q, Limb* a, const Limb* b, std::size_t n, Limb* scratch) {
    if (n < kDivideBlockThreshold) {
        divideSchool(q, a, 2 * n, b, n);
        return;
    }
    const std::size_t lower = n / 2;
    const std::size_t upper = n - lower;
    divideStep(q + lower, a + lower, b, upper, lower, scratch);
    divideStep(q, a, b, lower, upper, scratch);
}

// A quotient of m limbs depends little on the divisor's low limbs. With the divisor cut to its
// top keep = m + 2 limbs (b' = floor(b / B^k)) and the dividend likewise (a' < B^(2m+1)),
// q' = floor(a' / b') = floor(a / (b' B^k)) >= q, and q' - q < a / (B^k b' (b' + 1)) + 1 < 2
// because b' >= B^(m+1): so q is q' or q' - 1, settled by one product.
LimbQuotient divideByTruncation(const Limb* a, std::size_t na, const Limb* b, std::size_t nb,
                                std::size_t keep) {
    const std::size_t drop = nb - keep;
    LimbQuotient result = divideLimbs(a + drop, na - drop, b + drop, keep);
    LimbVector& q = result.quotient;
    std::size_t nq = q.size();
    while (nq != 0 && q[nq - 1] == 0) {
        --nq;
    }
    LimbVector work(std::max(na, nb + nq) + 1, 0);
    std::copy(a, a + na, work.begin());
    if (nq != 0) {
        LimbVector product(nb + nq + multiplyScratch(nb, nq));
        multiplyLimbs(product.data(), b, nb, q.data(), nq, product.data() + nb + nq);
        if (subLimbs(work.data(), work.data(), work.size(), product.data(), nb + nq) != 0) {
            decrement(q.data(), nq);
            addLimbs(work.data(), work.data(), work.size(), b, nb);
        }
    }
    result.remainder.assign(work.begin(), work.begin() + static_cast<std::ptrdiff_t>(nb));
    return result;
}

}  // namespace

LimbQuotient divideLimbs(const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    const std::size_t quotientLimbs = na + 1 - nb;
    const std::size_t keep = quotientLimbs + 2;
    if (nb > 2 * keep) {
        return divideByTruncation(a, na, b, nb, keep);
    }
    const bool school = nb < kDivideThreshold || quotientLimbs < kDivideThreshold;
    if (kNarrowWords && school) {
        return divideByHalves(a, na, b, nb);
    }
    // Scale both operands so that the divisor's top limb is at least half the base; the
    // remainder is scaled back at the end.
    const Limb scale = kBase / (b[nb - 1] + 1);
    LimbVector divisor(b, b + nb);
    mulLimb(divisor.data(), divisor.data(), nb, scale);

    // The scaled dividend's top limb is below the scale, which is at most half the base, so its
    // top nb limbs are below the divisor and the quotient has quotientLimbs limbs.
    LimbVector work(na + 1, 0);
    work[na] = mulLimb(work.data(), a, na, scale);
    LimbQuotient result;
    result.quotient.assign(quotientLimbs, 0);
    Limb* q = result.quotient.data();
    if (school) {
        divideSchool(q, work.data(), na + 1, divisor.data(), nb);
    } else {
        // The quotient from the top down in blocks of nb limbs, each from one recursive
        // division, after a shorter block at the top when nb does not divide its length.
        std::size_t left = quotientLimbs - quotientLimbs % nb;
        const std::size_t top = quotientLimbs - left;
        LimbBuffer scratch(std::max(divisionScratch(nb), stepScratch(top, nb - top)));
        if (top == 1) {
            divideSchool(q + left, work.data() + left, nb + 1, divisor.data(), nb);
        } else if (top != 0) {
            divideStep(q + left, work.data() + left, divisor.data(), top, nb - top, scratch.data());
        }
        while (left != 0) {
            left -= nb;
            divide2By1(q + left, work.data() + left, divisor.data(), nb, scratch.data());
        }
    }
    result.remainder.assign(nb, 0);
    divLimb(result.remainder.data(), work.data(), nb, Divisor(scale));
    return result;
}

}  // namespace kestrum::aserv::kernel::detail
