#include "multiply.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "limb_ops.h"
#include "ntt.h"
#include "school_avx512.h"

namespace kestrum::aserv::kernel::detail {
namespace {

static_assert(kKaratsubaThreshold <= 64, "a schoolbook column sum must stay below 2^126");
static_assert(kAvx512KaratsubaThreshold <= kAvx512SchoolLimbs + 1);

struct Leaves {
    bool vector;
    std::size_t karatsubaThreshold;
};

const Leaves& leaves() {
    static const Leaves chosen = avx512SchoolAvailable() ? Leaves{true, kAvx512KaratsubaThreshold}
                                                         : Leaves{false, kKaratsubaThreshold};
    return chosen;
}

// Two neighbouring column sums: sum += pa[i] * pq[i] and next += pa[i] * pq[i - 1] for
// i < count, count >= 1, where pq runs through b backwards. Each a limb is read once for both
// columns and each b limb serves two terms.
#if defined(__x86_64__)
void addTwoColumns(const Limb* pa, const Limb* pq, std::size_t count, Wide& sum, Wide& next) {
    Limb s0 = lowWord(sum);
    Limb s1 = highWord(sum);
    Limb n0 = lowWord(next);
    Limb n1 = highWord(next);
    // Four a limbs a pass, the sums in registers, mulq taking its second factor from memory,
    // both operands addressed from their ends by one index that counts up to zero. A count that
    // is not a multiple of four enters the first pass part way, with the index rounded down.
    const std::size_t rounded = (count + 3) & ~std::size_t{3};
    const Limb* endA = pa + count;
    const Limb* endQ = pq + count;
    auto index = -static_cast<std::ptrdiff_t>(rounded);
    const std::size_t skip = rounded - count;
    __asm__(
        "cmpq $2, %[skip]\n\t"
        "je 3f\n\t"
        "ja 4f\n\t"
        "testq %[skip], %[skip]\n\t"
        "jnz 2f\n\t"
        "1:\n\t"
        "movq (%[ea],%[i],8), %%rax\n\t"
        "mulq (%[eq],%[i],8)\n\t"
        "addq %%rax, %[s0]\n\t"
        "adcq %%rdx, %[s1]\n\t"
        "movq (%[ea],%[i],8), %%rax\n\t"
        "mulq -8(%[eq],%[i],8)\n\t"
        "addq %%rax, %[n0]\n\t"
        "adcq %%rdx, %[n1]\n\t"
        "2:\n\t"
        "movq 8(%[ea],%[i],8), %%rax\n\t"
        "mulq 8(%[eq],%[i],8)\n\t"
        "addq %%rax, %[s0]\n\t"
        "adcq %%rdx, %[s1]\n\t"
        "movq 8(%[ea],%[i],8), %%rax\n\t"
        "mulq 0(%[eq],%[i],8)\n\t"
        "addq %%rax, %[n0]\n\t"
        "adcq %%rdx, %[n1]\n\t"
        "3:\n\t"
        "movq 16(%[ea],%[i],8), %%rax\n\t"
        "mulq 16(%[eq],%[i],8)\n\t"
        "addq %%rax, %[s0]\n\t"
        "adcq %%rdx, %[s1]\n\t"
        "movq 16(%[ea],%[i],8), %%rax\n\t"
        "mulq 8(%[eq],%[i],8)\n\t"
        "addq %%rax, %[n0]\n\t"
        "adcq %%rdx, %[n1]\n\t"
        "4:\n\t"
        "movq 24(%[ea],%[i],8), %%rax\n\t"
        "mulq 24(%[eq],%[i],8)\n\t"
        "addq %%rax, %[s0]\n\t"
        "adcq %%rdx, %[s1]\n\t"
        "movq 24(%[ea],%[i],8), %%rax\n\t"
        "mulq 16(%[eq],%[i],8)\n\t"
        "addq %%rax, %[n0]\n\t"
        "adcq %%rdx, %[n1]\n\t"
        "addq $4, %[i]\n\t"
        "jnz 1b"
        : [s0] "+r"(s0), [s1] "+r"(s1), [n0] "+r"(n0), [n1] "+r"(n1), [i] "+r"(index)
        : [ea] "r"(endA), [eq] "r"(endQ), [skip] "r"(skip)
        : "rax", "rdx", "cc", "memory");
    sum = makeWide(s1, s0);
    next = makeWide(n1, n0);
}
#else
void addTwoColumns(const Limb* pa, const Limb* pq, std::size_t count, Wide& sum, Wide& next) {
    for (std::size_t i = 0; i < count; ++i) {
        sum += mulWide(pa[i], pq[i]);
        next += mulWide(pa[i], pq[static_cast<std::ptrdiff_t>(i) - 1]);
    }
}
#endif

// Column-wise product, two columns at a time: each column is summed in a double word and split
// once together with the carry from the column below. A column has fewer than
// kKaratsubaThreshold terms, so its sum stays below 2^126 as splitColumn requires. Columns k and
// k + 1 share their operand limbs a[i] except at most one term at either end; b is read from a
// reversed copy with a zero limb on either side, so one loop over the limbs of a that either
// column uses adds to both sums, going up through a and the copy alike, the terms outside a
// column being zero. The sums start from zero and take
// the carry last, so that a pair of columns need not wait for the split of the pair below.
// Requires nb < kKaratsubaThreshold.
void multiplySchool(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    std::array<Limb, kKaratsubaThreshold + 1> padded;  // NOLINT: filled up to nb + 1 below
    padded[0] = 0;
    std::reverse_copy(b, b + nb, padded.begin() + 1);
    padded[nb + 1] = 0;
    // b[j] is reversed[nb - 1 - j].
    const Limb* reversed = padded.data() + 1;
    const std::size_t columns = na + nb - 1;
    Wide carry = 0;
    std::size_t k = 0;
    for (; k + 1 < columns; k += 2) {
        const std::size_t first = k >= nb ? k - nb + 1 : 0;
        const std::size_t last = std::min(k + 1, na - 1);
        Wide sum = 0;
        Wide next = 0;
        addTwoColumns(a + first, reversed + (nb - 1 - k + first), last + 1 - first, sum, next);
        const ColumnSplit low = splitColumn(sum + carry);
        r[k] = low.digit;
        const ColumnSplit high = splitColumn(next + low.carry);
        r[k + 1] = high.digit;
        carry = high.carry;
    }
    if (k < columns) {
        // The top column alone: its one term is a[na - 1] * b[nb - 1].
        carry += mulWide(a[na - 1], b[nb - 1]);
        const ColumnSplit split = splitColumn(carry);
        r[k] = split.digit;
        carry = split.carry;
    }
    // The product has na + nb limbs, so the last carry is a single limb.
    r[columns] = lowWord(carry);
}

// The schoolbook product for a shorter operand below karatsubaThreshold().
void multiplyLeaf(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
#if defined(KESTRUM_AVX512_SCHOOL)
    if (leaves().vector && nb >= kAvx512SchoolShortest) {
        multiplySchoolAvx512(r, a, na, b, nb);
        return;
    }
#endif
    multiplySchool(r, a, na, b, nb);
}

void multiplyKaratsuba(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb,
                       Limb* scratch);

// sa[0..m] = a[0..m) + a[m..m+ha) and sb[0..m] = b[0..m) + b[m..m+hb) for hb <= ha <= m, in
// one loop: the two carry chains run side by side.
void addHalves(Limb* sa, const Limb* a, std::size_t ha, Limb* sb, const Limb* b, std::size_t hb,
               std::size_t m) {
    Limb ca = 0;
    Limb cb = 0;
    std::size_t i = 0;
    for (; i < hb; ++i) {
        sa[i] = addWithCarry(a[i], a[m + i], ca);
        sb[i] = addWithCarry(b[i], b[m + i], cb);
    }
    for (; i < ha; ++i) {
        sa[i] = addWithCarry(a[i], a[m + i], ca);
        sb[i] = addWithCarry(b[i], 0, cb);
    }
    for (; i < m; ++i) {
        sa[i] = addWithCarry(a[i], 0, ca);
        sb[i] = addWithCarry(b[i], 0, cb);
    }
    sa[m] = ca;
    sb[m] = cb;
}

// Adds a signed carry of -2 to 1 at r[from], taking it up until it is absorbed or r[end].
void propagateSigned(Limb* r, std::size_t from, std::size_t end, std::int64_t carry) {
    constexpr auto kSignedBase = static_cast<std::int64_t>(kBase);
    for (std::size_t j = from; j < end && carry != 0; ++j) {
        const std::int64_t t = static_cast<std::int64_t>(r[j]) + carry;
        carry = (t >= kSignedBase ? 1 : 0) - (t < 0 ? 1 : 0);
        r[j] = static_cast<Limb>(t - carry * kSignedBase);
    }
}

// The last step of a square Karatsuba product: r[m..total) += mid - r0 - r2, where r0 = r[0..2m)
// (its upper half, which the pass writes over before it reads it, copied to r0High),
// r2 = r[2m..2m+n2) with m <= n2 <= 2m, mid has 2m + 2 limbs and 3m + 2 <= total. A place sums
// to [-2 base, 2 base): the carry is -2 to 1. The carry passes from place to place, so the
// places below 2m and those from 2m on are worked side by side, and the lower run's carry is
// added in at the end. Place i reads r2's limb r[2m + i] before place m + i, one step later in
// the upper run, writes it.
void addMiddle(Limb* r, std::size_t m, std::size_t total, const Limb* mid, const Limb* r0High,
               std::size_t n2) {
    constexpr auto kSignedBase = static_cast<std::int64_t>(kBase);
    const auto place = [&](std::size_t i, Limb low, Limb high, std::int64_t& carry) {
        const std::int64_t t = static_cast<std::int64_t>(r[m + i]) +
                               static_cast<std::int64_t>(mid[i]) - static_cast<std::int64_t>(low) -
                               static_cast<std::int64_t>(high) + carry;
        carry = (t >= kSignedBase ? 1 : 0) - (t < 0 ? 1 : 0) - (t < -kSignedBase ? 1 : 0);
        r[m + i] = static_cast<Limb>(t - carry * kSignedBase);
    };
    std::int64_t lower = 0;
    std::int64_t upper = 0;
    std::size_t i = 0;
    for (; i < n2 - m; ++i) {
        place(i, r[i], r[2 * m + i], lower);
        place(m + i, r0High[i], r[3 * m + i], upper);
    }
    for (; i < m; ++i) {
        place(i, r[i], r[2 * m + i], lower);
        place(m + i, r0High[i], 0, upper);
    }
    place(2 * m, 0, 0, upper);
    place(2 * m + 1, 0, 0, upper);
    propagateSigned(r, 3 * m + 2, total, upper);
    propagateSigned(r, 2 * m, total, lower);
}

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
    if (nb < leaves().karatsubaThreshold) {
        multiplyLeaf(r, a, na, b, nb);
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

    if (hb <= ha) {
        addHalves(sa, a, ha, sb, b, hb, m);
    } else {
        addHalves(sb, b, hb, sa, a, ha, m);
    }
    multiplyLimbs(mid, sa, m + 1, sb, m + 1, rest);
    if (na == nb) {
        std::copy(r + m, r + 2 * m, sa);  // the upper half of r0 is written over first
        addMiddle(r, m, na + nb, mid, sa, ha + hb);
        return;
    }
    subLimbs(mid, mid, 2 * m + 2, r, 2 * m);
    subLimbs(mid, mid, 2 * m + 2, r + 2 * m, ha + hb);
    std::size_t midLen = 2 * m + 2;
    while (midLen != 0 && mid[midLen - 1] == 0) {
        --midLen;
    }
    addLimbs(r + m, r + m, na + nb - m, mid, midLen);
}

}  // namespace

std::size_t karatsubaThreshold() {
    return leaves().karatsubaThreshold;
}

std::size_t multiplyScratch(std::size_t na, std::size_t nb) {
    return nb < karatsubaThreshold() ? 0 : 6 * na + 256;
}

void multiplyLimbs(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb,
                   Limb* scratch) {
    if (nb < karatsubaThreshold()) {
        multiplyLeaf(r, a, na, b, nb);
    } else if (nb >= kTransformThreshold && transformFits(na, nb)) {
        multiplyTransform(r, a, na, b, nb);
    } else if (2 * nb <= na + 1) {
        multiplyUnbalanced(r, a, na, b, nb, scratch);
    } else {
        multiplyKaratsuba(r, a, na, b, nb, scratch);
    }
}

}  // namespace kestrum::aserv::kernel::detail
