#include "school_columns.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace kestrum::aserv::kernel::detail {
namespace {

static_assert(kColumnSchoolLimbs < 64, "a schoolbook column sum must stay below 2^126");

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

}  // namespace

// Column-wise product, two columns at a time: each column is summed in a double word and split
// once together with the carry from the column below. A column has at most kColumnSchoolLimbs
// terms, so its sum stays below 2^126 as splitColumn requires. Columns k and k + 1 share their
// operand limbs a[i] except at most one term at either end; b is read from a reversed copy with a
// zero limb on either side, so one loop over the limbs of a that either column uses adds to both
// sums, going up through a and the copy alike, the terms outside a column being zero. The sums
// start from zero and take the carry last, so that a pair of columns need not wait for the split of
// the pair below.
void multiplySchoolColumns(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    std::array<Limb, kColumnSchoolLimbs + 2> padded;  // NOLINT: filled up to nb + 1 below
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

}  // namespace kestrum::aserv::kernel::detail
