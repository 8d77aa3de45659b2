#include "divide.h"

#include <algorithm>

#include "limb_buffer.h"
#include "limb_ops.h"
#include "multiply.h"

namespace kestrum::aserv::kernel::detail {
namespace {

// Long division of a[0..na) by a normalised b[0..nb) (top limb at least half the base, nb >= 2)
// when a's top nb limbs are below b: q[0..na-nb) gets the quotient, a[0..nb) the remainder and
// the limbs above it are cleared.
void divideSchool(Limb* q, Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
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

// Scratch limbs that divide2By1 needs for a divisor of n limbs.
std::size_t divisionScratch(std::size_t n) {
    return n + multiplyScratch(n / 2, n / 2);
}

// [a2 a1 a0] (k limbs each, a[0..3k)) divided by [b1 b0] (b[0..2k)) when [a2 a1] < [b1 b0]:
// k quotient limbs to q, the remainder to a[0..2k), a[2k..3k) cleared. Uses
// divisionScratch(2 * k) limbs of scratch.
void divide3By2(Limb* q, Limb* a, const Limb* b, std::size_t k, Limb* scratch) {
    if (compareLimbs(a + 2 * k, b + k, k) < 0) {
        divide2By1(q, a + k, b + k, k, scratch);
    } else {
        // The top halves are equal: q = base^k - 1, and [a2 a1] - q * b1 = a1 + b1.
        std::fill(q, q + k, kBase - 1);
        std::fill(a + 2 * k, a + 3 * k, Limb{0});
        a[2 * k] = addLimbs(a + k, a + k, k, b + k, k);
    }
    // The quotient's division above is done with the scratch, which now holds the product.
    Limb* product = scratch;
    multiplyLimbs(product, q, k, b, k, product + 2 * k);
    Limb borrow = subLimbs(a, a, 3 * k, product, 2 * k);
    while (borrow != 0) {
        decrement(q, k);
        borrow -= addLimbs(a, a, 3 * k, b, 2 * k);
    }
}

// a[0..2n) / b[0..n) when a's top half is below b: quotient to q[0..n), remainder to a[0..n).
// Uses divisionScratch(n) limbs of scratch.
void divide2By1(Limb* q, Limb* a, const Limb* b, std::size_t n, Limb* scratch) {
    if (n < kDivideThreshold || n % 2 != 0) {
        divideSchool(q, a, 2 * n, b, n);
        return;
    }
    const std::size_t k = n / 2;
    divide3By2(q + k, a + k, b, k, scratch);
    divide3By2(q, a, b, k, scratch);
}

// Block size for the recursive division: the divisor length rounded up to t * 2^levels with
// t below the threshold, so every level halves evenly.
std::size_t blockSize(std::size_t nb) {
    std::size_t t = nb;
    std::size_t levels = 0;
    while (t >= kDivideThreshold) {
        t = (t + 1) / 2;
        ++levels;
    }
    return t << levels;
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
    // Scale both operands so that the divisor's top limb is at least half the base; the
    // remainder is scaled back at the end.
    const Limb scale = kBase / (b[nb - 1] + 1);
    const bool recursive = nb >= kDivideThreshold && quotientLimbs >= kDivideThreshold;
    const std::size_t block = recursive ? blockSize(nb) : nb;
    const std::size_t shift = block - nb;

    LimbVector divisor(block, 0);
    std::copy(b, b + nb, divisor.begin() + static_cast<std::ptrdiff_t>(shift));
    mulLimb(divisor.data() + shift, divisor.data() + shift, nb, scale);

    // The dividend padded to whole blocks above the shift, plus one limb for the scaling carry.
    std::size_t len = na + shift + 1;
    const std::size_t blocks = (len + block - 1) / block;
    len = blocks * block;
    LimbVector work(len + block, 0);
    std::copy(a, a + na, work.begin() + static_cast<std::ptrdiff_t>(shift));
    work[na + shift] = mulLimb(work.data() + shift, work.data() + shift, na, scale);

    LimbQuotient result;
    if (!recursive) {
        // Schoolbook throughout: the scaled top limbs are already below the divisor.
        result.quotient.assign(quotientLimbs, 0);
        divideSchool(result.quotient.data(), work.data(), na + 1, divisor.data(), nb);
    } else {
        std::size_t steps = blocks;
        if (compareLimbs(work.data() + (blocks - 1) * block, divisor.data(), block) < 0) {
            --steps;
        }
        result.quotient.assign(steps * block, 0);
        LimbBuffer scratch(divisionScratch(block));
        for (std::size_t i = steps; i-- != 0;) {
            divide2By1(result.quotient.data() + i * block, work.data() + i * block, divisor.data(),
                       block, scratch.data());
        }
    }
    result.remainder.assign(nb, 0);
    divLimb(result.remainder.data(), work.data() + shift, nb, Divisor(scale));
    return result;
}

}  // namespace kestrum::aserv::kernel::detail
