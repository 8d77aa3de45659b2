#include "multiply.h"

#include <algorithm>

#include "limb_ops.h"
#include "ntt.h"

namespace kestrum::aserv::kernel::detail {
namespace {

static_assert(kKaratsubaThreshold <= 64, "a schoolbook column sum must stay below 2^126");

// Column-wise product: each column is summed in a double word together with the carry from the
// column below and split once. A column has fewer than kKaratsubaThreshold terms, so its sum
// stays below 2^126 as splitColumn requires.
void multiplySchool(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    Wide carry = 0;
    const std::size_t columns = na + nb - 1;
    for (std::size_t k = 0; k < columns; ++k) {
        const std::size_t first = k >= nb ? k - nb + 1 : 0;
        const std::size_t last = std::min(k, na - 1);
        // Two running sums halve the chain of double-word additions.
        Wide even = carry;
        Wide odd = 0;
        std::size_t i = first;
        for (; i < last; i += 2) {
            even += mulWide(a[i], b[k - i]);
            odd += mulWide(a[i + 1], b[k - i - 1]);
        }
        if (i == last) {
            even += mulWide(a[i], b[k - i]);
        }
        const ColumnSplit split = splitColumn(even + odd);
        r[k] = split.digit;
        carry = split.carry;
    }
    // The product has na + nb limbs, so the last carry is a single limb.
    r[columns] = lowWord(carry);
}

void multiplyKaratsuba(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb,
                       Limb* scratch);

// r = a * b where b is much shorter: a is cut into pieces of nb limbs.
void multiplyUnbalanced(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb,
                        Limb* scratch) {
    multiplyKaratsuba(r, a, nb, b, nb, scratch);
    Limb* piece = scratch;
    Limb* rest = scratch + 2 * nb;
    for (std::size_t done = nb; done < na; done += nb) {
        const std::size_t len = std::min(nb, na - done);
        if (len >= nb) {
            multiplyKaratsuba(piece, a + done, len, b, nb, rest);
        } else {
            multiplyLimbs(piece, b, nb, a + done, len, rest);
        }
        // r[done..done+nb) holds the previous piece's top; the rest is fresh.
        std::fill(r + done + nb, r + done + len + nb, Limb{0});
        addLimbs(r + done, r + done, len + nb, piece, len + nb);
    }
}

// Balanced case: nb > ceil(na / 2).
void multiplyKaratsuba(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb,
                       Limb* scratch) {
    if (nb < kKaratsubaThreshold) {
        multiplySchool(r, a, na, b, nb);
        return;
    }
    const std::size_t m = (na + 1) / 2;
    const std::size_t ha = na - m;
    const std::size_t hb = nb - m;
    Limb* sa = scratch;
    Limb* sb = sa + m + 1;
    Limb* mid = sb + m + 1;
    Limb* rest = mid + 2 * m + 2;

    multiplyLimbs(r, a, m, b, m, rest);
    multiplyLimbs(r + 2 * m, a + m, ha, b + m, hb, rest);

    sa[m] = addLimbs(sa, a, m, a + m, ha);
    sb[m] = addLimbs(sb, b, m, b + m, hb);
    multiplyLimbs(mid, sa, m + 1, sb, m + 1, rest);
    subLimbs(mid, mid, 2 * m + 2, r, 2 * m);
    subLimbs(mid, mid, 2 * m + 2, r + 2 * m, ha + hb);
    std::size_t midLen = 2 * m + 2;
    while (midLen != 0 && mid[midLen - 1] == 0) {
        --midLen;
    }
    addLimbs(r + m, r + m, na + nb - m, mid, midLen);
}

}  // namespace

std::size_t multiplyScratch(std::size_t na, std::size_t nb) {
    return nb < kKaratsubaThreshold ? 0 : 6 * na + 256;
}

void multiplyLimbs(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb,
                   Limb* scratch) {
    if (nb < kKaratsubaThreshold) {
        multiplySchool(r, a, na, b, nb);
    } else if (nb >= kTransformThreshold && transformFits(na, nb)) {
        multiplyTransform(r, a, na, b, nb);
    } else if (2 * nb <= na + 1) {
        multiplyUnbalanced(r, a, na, b, nb, scratch);
    } else {
        multiplyKaratsuba(r, a, na, b, nb, scratch);
    }
}

}  // namespace kestrum::aserv::kernel::detail
