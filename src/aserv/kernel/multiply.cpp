#include "multiply.h"

#include <algorithm>
#include <cstdint>

#include "limb_ops.h"
#include "ntt.h"
#include "school_avx2.h"
#include "school_avx512.h"
#include "school_columns.h"
#include "x86_vectors.h"

namespace kestrum::aserv::kernel::detail {
namespace {

static_assert(kKaratsubaThreshold <= kColumnSchoolLimbs + 1);
static_assert(kKaratsubaThreshold <= kAvx2SchoolLimbs + 1);
static_assert(kAvx512KaratsubaThreshold <= kAvx512SchoolLimbs + 1);

enum class VectorSchool { kNone, kAvx2, kAvx512 };

// The schoolbook this process uses at the leaves, chosen on first use, the threshold above it and
// the transform thresholds that go with it (multiply.h).
struct Leaves {
    VectorSchool vector;
    std::size_t karatsubaThreshold;
    std::size_t transformThreshold = kTransformThreshold;
    std::size_t shortTransformDigits = kShortTransformDigits;
};

// Beyond every operand: the transforms are not used.
constexpr std::size_t kNoTransform = ~std::size_t{0};

Leaves withTransforms(Leaves leaves) {
    if (kNarrowWords && leaves.vector != VectorSchool::kNone) {
        leaves.transformThreshold = kNoTransform;
        leaves.shortTransformDigits = kNoTransform;
    }
    return leaves;
}

Leaves chooseLeaves() {
    if (avx512SchoolAvailable()) {
        return withTransforms({VectorSchool::kAvx512, kAvx512KaratsubaThreshold});
    }
    if (avx2SchoolAvailable()) {
        return withTransforms({VectorSchool::kAvx2, kKaratsubaThreshold});
    }
    return withTransforms({VectorSchool::kNone, kKaratsubaThreshold});
}

const Leaves& leaves() {
    static const Leaves chosen = chooseLeaves();
    return chosen;
}

// The schoolbook product for a shorter operand below karatsubaThreshold().
void multiplyLeaf(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
#if KESTRUM_X86_VECTORS
#if defined(__x86_64__)
    if (leaves().vector == VectorSchool::kAvx512 && nb >= kAvx512SchoolShortest) {
        multiplySchoolAvx512(r, a, na, b, nb);
        return;
    }
#endif
    if (leaves().vector == VectorSchool::kAvx2 && nb >= kAvx2SchoolShortest) {
        multiplySchoolAvx2(r, a, na, b, nb);
        return;
    }
#endif
    multiplySchoolColumns(r, a, na, b, nb);
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

std::size_t transformThreshold() {
    return leaves().transformThreshold;
}

std::size_t shortTransformDigits() {
    return leaves().shortTransformDigits;
}

std::size_t multiplyScratch(std::size_t na, std::size_t nb) {
    return nb < karatsubaThreshold() ? 0 : 6 * na + 256;
}

void multiplyLimbs(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb,
                   Limb* scratch) {
    if (nb < karatsubaThreshold()) {
        multiplyLeaf(r, a, na, b, nb);
    } else if (nb >= transformThreshold() && transformFits(na, nb)) {
        multiplyTransform(r, a, na, b, nb);
    } else if (2 * nb <= na + 1) {
        multiplyUnbalanced(r, a, na, b, nb, scratch);
    } else {
        multiplyKaratsuba(r, a, na, b, nb, scratch);
    }
}

}  // namespace kestrum::aserv::kernel::detail
