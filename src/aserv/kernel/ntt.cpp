#include "ntt.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

#include "scratch.h"

namespace kestrum::aserv::kernel::detail {
namespace {

using Word = std::uint64_t;
// Transform buffers, from the scratch.
using ScratchWords = std::vector<Word, ScratchAllocator<Word>>;

// Arithmetic modulo a prime p < 2^62 with 2^12 dividing p - 1. Transform values are kept lazily
// in [0, 2p) or [0, 4p) (after Harvey) and only fully reduced at the end.
class PrimeField {
  public:
    constexpr PrimeField(Word p, Word generator) : p_(p), divisor_(p), generator_(generator) {
        Word inv = p;  // p * p == 1 mod 8; each step doubles the correct low bits
        for (int i = 0; i < 5; ++i) {
            inv *= 2 - p * inv;
        }
        negInverse_ = 0 - inv;
    }

    constexpr Word modulus() const { return p_; }

    constexpr Word mulMod(Word a, Word b) const {
        const Wide w = mulWide(a, b);
        Word rem = 0;
        divisor_.divide(highWord(w), lowWord(w), rem);
        return rem;
    }

    constexpr Word power(Word base, Word e) const {
        Word r = 1;
        while (e != 0) {
            if ((e & 1) != 0) {
                r = mulMod(r, base);
            }
            base = mulMod(base, base);
            e >>= 1;
        }
        return r;
    }

    constexpr Word inverse(Word a) const { return power(a, p_ - 2); }

    // A primitive root of unity of order n, a power of two dividing p - 1.
    constexpr Word rootOfUnity(Word n) const { return power(generator_, (p_ - 1) / n); }

    // floor(w * 2^64 / p) for w < p: the companion of w for shoupMul.
    constexpr Word shoup(Word w) const {
        Word rem = 0;
        return divisor_.divide(w, 0, rem);
    }

    // x * w mod p in [0, 2p) for any 64-bit x, with ws = shoup(w) (after Shoup).
    static constexpr Word shoupMul(Word x, Word w, Word ws, Word p) {
        const Word q = highWord(mulWide(x, ws));
        return x * w - q * p;
    }

    // a * b / 2^64 mod p in [0, 2p) for a * b < p * 2^64 (Montgomery reduction).
    constexpr Word montgomeryMul(Word a, Word b) const {
        const Wide t = mulWide(a, b);
        const Word m = lowWord(t) * negInverse_;
        return highWord(t) + highWord(mulWide(m, p_)) + (lowWord(t) != 0 ? 1U : 0U);
    }

  private:
    Word p_;
    Divisor divisor_;
    Word generator_;
    Word negInverse_ = 0;
};

constexpr std::array<PrimeField, 3> kFields = {
    PrimeField{4'611'686'018'325'676'033ULL, 5},  // 2^62 - 2^36 - 2^35 - 2^32 + 2^20 + 1
    PrimeField{4'611'686'018'326'724'609ULL, 3},  // 2^62 - 2^35 - 2^34 - 2^32 + 2^25 + 1
    PrimeField{4'611'686'018'405'367'809ULL, 3},  // 2^62 - 2^32 - 2^30 - 2^28 + 2^20 + 1
};

static_assert(kFields[0].modulus() < kFields[1].modulus() &&
                  kFields[1].modulus() < kFields[2].modulus(),
              "the recombination takes the primes in increasing order");
static_assert(kBase < kFields[0].modulus(), "a limb is already reduced modulo every prime");
static_assert(kFields[0].modulus() % kTransformMaxLength == 1 &&
                  kFields[1].modulus() % kTransformMaxLength == 1 &&
                  kFields[2].modulus() % kTransformMaxLength == 1,
              "every prime has roots of unity of every transform length");

// Roots of unity for one prime: entry m + j (j < m, m a power of two) is w^j for w of order
// 2m, with its Shoup companion.
struct RootTable {
    std::vector<Word> root;
    std::vector<Word> companion;

    explicit RootTable(const PrimeField& f)
        : root(kTransformMaxLength), companion(kTransformMaxLength) {
        for (std::size_t m = 1; m < kTransformMaxLength; m *= 2) {
            const Word w = f.rootOfUnity(2 * m);
            Word x = 1;
            for (std::size_t j = 0; j < m; ++j) {
                root[m + j] = x;
                companion[m + j] = f.shoup(x);
                x = f.mulMod(x, w);
            }
        }
    }
};

const RootTable& roots(std::size_t field) {
    static const std::array<RootTable, 3> tables = {RootTable(kFields[0]), RootTable(kFields[1]),
                                                    RootTable(kFields[2])};
    return tables[field];
}

Word reduce2(Word x, Word p2) {
    return x >= p2 ? x - p2 : x;
}

// One block of a decimation-in-frequency stage: x[0..m) and x[m..2m) with twiddles w[0..m).
// Kept out of line so that the loop has the registers to itself.
[[gnu::noinline]] void forwardRun(Word* x, std::size_t m, const Word* w, const Word* ws, Word p) {
    const Word p2 = 2 * p;
    Word* hi = x + m;
    for (std::size_t j = 0; j < m; ++j) {
        const Word u = x[j];
        const Word v = hi[j];
        x[j] = reduce2(u + v, p2);
        hi[j] = PrimeField::shoupMul(u - v + p2, w[j], ws[j], p);
    }
}

// One block of a decimation-in-time stage.
[[gnu::noinline]] void backwardRun(Word* x, std::size_t m, const Word* w, const Word* ws, Word p) {
    const Word p2 = 2 * p;
    Word* hi = x + m;
    for (std::size_t j = 0; j < m; ++j) {
        const Word u = reduce2(x[j], p2);
        const Word v = PrimeField::shoupMul(hi[j], w[j], ws[j], p);
        x[j] = u + v;
        hi[j] = u - v + p2;
    }
}

// Decimation in frequency: natural order in [0, 2p) -> bit-reversed spectrum in [0, 2p), for
// n >= 4. The last two stages go together: their twiddles are 1 and one fourth root of unity.
void forward(Word* x, std::size_t n, const RootTable& t, Word p) {
    const Word p2 = 2 * p;
    for (std::size_t m = n / 2; m >= 4; m /= 2) {
        for (std::size_t start = 0; start < n; start += 2 * m) {
            forwardRun(x + start, m, t.root.data() + m, t.companion.data() + m, p);
        }
    }
    const Word i4 = t.root[3];
    const Word i4s = t.companion[3];
    for (std::size_t start = 0; start < n; start += 4) {
        Word* q = x + start;
        const Word s0 = reduce2(q[0] + q[2], p2);
        const Word d0 = reduce2(q[0] - q[2] + p2, p2);
        const Word s1 = reduce2(q[1] + q[3], p2);
        const Word d1 = PrimeField::shoupMul(q[1] - q[3] + p2, i4, i4s, p);
        q[0] = reduce2(s0 + s1, p2);
        q[1] = reduce2(s0 - s1 + p2, p2);
        q[2] = reduce2(d0 + d1, p2);
        q[3] = reduce2(d0 - d1 + p2, p2);
    }
}

// Decimation in time with the same roots: bit-reversed in [0, 2p) -> the spectrum of the
// input in natural order, in [0, 4p), for n >= 4. The first two stages go together.
void backward(Word* x, std::size_t n, const RootTable& t, Word p) {
    const Word p2 = 2 * p;
    const Word i4 = t.root[3];
    const Word i4s = t.companion[3];
    for (std::size_t start = 0; start < n; start += 4) {
        Word* q = x + start;
        const Word a0 = reduce2(q[0] + q[1], p2);
        const Word a1 = reduce2(q[0] - q[1] + p2, p2);
        const Word a2 = reduce2(q[2] + q[3], p2);
        const Word a3 = PrimeField::shoupMul(q[2] - q[3] + p2, i4, i4s, p);
        q[0] = a0 + a2;
        q[2] = a0 - a2 + p2;
        q[1] = a1 + a3;
        q[3] = a1 - a3 + p2;
    }
    for (std::size_t m = 4; m < n; m *= 2) {
        for (std::size_t start = 0; start < n; start += 2 * m) {
            backwardRun(x + start, m, t.root.data() + m, t.companion.data() + m, p);
        }
    }
}

// The cyclic convolution of a and b modulo one prime, fully reduced, into out[0..n).
void convolve(Word* out, Word* work, const Limb* a, std::size_t na, const Limb* b, std::size_t nb,
              std::size_t n, std::size_t field) {
    const PrimeField& f = kFields[field];
    const RootTable& t = roots(field);
    const Word p = f.modulus();
    std::fill(std::copy(a, a + na, out), out + n, Word{0});
    std::fill(std::copy(b, b + nb, work), work + n, Word{0});
    forward(out, n, t, p);
    forward(work, n, t, p);
    // Montgomery products carry a factor 2^-64; the scale takes it out along with the 1/n of
    // the inverse transform (n divides p - 1, so 1/n = p - (p - 1) / n).
    const Word radix = 0 - 4 * p;  // 2^64 mod p, as p > 2^62 - 2^62 / 4
    const Word scale = f.mulMod(radix, p - (p - 1) / n);
    const Word scaleCompanion = f.shoup(scale);
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = PrimeField::shoupMul(f.montgomeryMul(out[i], work[i]), scale, scaleCompanion, p);
    }
    backward(out, n, t, p);
    // The forward roots give the spectrum of the spectrum: n * c[-i mod n] at index i.
    for (std::size_t i = 0; i < n; ++i) {
        Word v = out[i];
        v = v >= 2 * p ? v - 2 * p : v;
        out[i] = v >= p ? v - p : v;
    }
    for (std::size_t i = 1, j = n - 1; i < j; ++i, --j) {
        std::swap(out[i], out[j]);
    }
}

// The base-10^18 digits of a value below 2^126: d0 + d1 * base + d2 * base^2.
struct BaseDigits {
    Limb d0;
    Limb d1;
    Limb d2;
};

constexpr BaseDigits baseDigits(Wide v) {
    const ColumnSplit low = splitColumn(v);
    const ColumnSplit high = splitColumn(low.carry);
    return {low.digit, high.digit, lowWord(high.carry)};
}

// Constants of the recombination x = r0 + p0 * t1 + p0 p1 * t2, with p0 and p0 p1 written in
// base 10^18 so that x comes out as three base-10^18 places of double-word sums.
struct Recombination {
    Word inv01 = kFields[1].inverse(kFields[0].modulus());  // 1 / p0 mod p1
    Word inv01c = kFields[1].shoup(inv01);
    Word p0c = kFields[2].shoup(kFields[0].modulus());  // p0 < p2
    Word inv012 = kFields[2].inverse(kFields[2].mulMod(kFields[0].modulus(), kFields[1].modulus()));
    Word inv012c = kFields[2].shoup(inv012);
    BaseDigits p0 = baseDigits(kFields[0].modulus());
    BaseDigits p01 = baseDigits(mulWide(kFields[0].modulus(), kFields[1].modulus()));
};

constexpr Recombination kRecombination{};
static_assert(kRecombination.p0.d2 == 0, "p0 < base^2");

// The cyclic convolutions of a and b modulo the first `fields` primes, field after field, each n
// long, for the columns of an na x nb product.
ScratchWords residuesOf(const Limb* a, std::size_t na, const Limb* b, std::size_t nb, std::size_t n,
                        std::size_t fields) {
    ScratchWords residues((fields + 1) * n);
    Word* work = residues.data() + fields * n;
    for (std::size_t field = 0; field < fields; ++field) {
        convolve(residues.data() + field * n, work, a, na, b, nb, n, field);
    }
    return residues;
}

std::size_t transformLength(std::size_t columns) {
    return std::max(std::bit_ceil(columns), std::size_t{4});
}

// t1 = (r1 - r0) / p0 mod p1, fully reduced, for residues r0 < p0 < p1 and r1 < p1.
Word secondDigit(Word r0, Word r1) {
    const Recombination& k = kRecombination;
    const Word q1 = kFields[1].modulus();
    const Word t1 = PrimeField::shoupMul(r1 >= r0 ? r1 - r0 : r1 + q1 - r0, k.inv01, k.inv01c, q1);
    return t1 >= q1 ? t1 - q1 : t1;
}

}  // namespace

void multiplyTransform(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    const std::size_t columns = na + nb - 1;
    const std::size_t n = transformLength(columns);
    const ScratchWords residues = residuesOf(a, na, b, nb, n, 3);
    const Recombination& k = kRecombination;
    const Word p0 = kFields[0].modulus();
    const Word q2 = kFields[2].modulus();
    const Word* r0 = residues.data();
    const Word* r1 = r0 + n;
    const Word* r2 = r1 + n;
    // Column i adds x0 to place i, x1 to place i + 1 and x2 to place i + 2; each place is summed
    // in a double word (below 2^124) and split once with the carry from the place below.
    Wide pendingMiddle = 0;    // x1 of the previous column
    Wide pendingTop = 0;       // x2 of the previous column
    Wide pendingTopOlder = 0;  // x2 of the column before it
    Wide carry = 0;
    for (std::size_t i = 0; i < columns; ++i) {
        const Word t1 = secondDigit(r0[i], r1[i]);
        // y = r0 + p0 t1 < p0 p1; t2 = (r2 - y) / (p0 p1) mod p2.
        Word y2 = PrimeField::shoupMul(t1, p0, k.p0c, q2) + r0[i];
        y2 = y2 >= q2 ? y2 - q2 : y2;
        y2 = y2 >= q2 ? y2 - q2 : y2;
        Word t2 = PrimeField::shoupMul(r2[i] >= y2 ? r2[i] - y2 : r2[i] + q2 - y2, k.inv012,
                                       k.inv012c, q2);
        t2 = t2 >= q2 ? t2 - q2 : t2;
        // x = r0 + t1 (p0.d0 + p0.d1 base) + t2 (p01.d0 + p01.d1 base + p01.d2 base^2), with
        // t1, t2 < 2^62 and every digit below base < 2^60.
        const Wide x0 = mulWide(t1, k.p0.d0) + mulWide(t2, k.p01.d0) + r0[i];
        const Wide x1 = mulWide(t1, k.p0.d1) + mulWide(t2, k.p01.d1);
        const Wide x2 = mulWide(t2, k.p01.d2);
        const ColumnSplit split = splitColumn(x0 + pendingMiddle + pendingTopOlder + carry);
        r[i] = split.digit;
        carry = split.carry;
        pendingMiddle = x1;
        pendingTopOlder = pendingTop;
        pendingTop = x2;
    }
    // The product has columns + 1 limbs: the last place takes what is still pending.
    r[columns] = splitColumn(pendingMiddle + pendingTopOlder + carry).digit;
}

void multiplyTransformShort(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    const std::size_t columns = na + nb - 1;
    const std::size_t n = transformLength(columns);
    const ScratchWords residues = residuesOf(a, na, b, nb, n, 2);
    const Word p0 = kFields[0].modulus();
    const Word* r0 = residues.data();
    const Word* r1 = r0 + n;
    Wide carry = 0;
    for (std::size_t i = 0; i < columns; ++i) {
        // x = r0 + p0 t1 < p0 p1 < 2^124.
        const Word t1 = secondDigit(r0[i], r1[i]);
        const ColumnSplit split = splitColumn<kShortBase>(mulWide(p0, t1) + r0[i] + carry);
        r[i] = split.digit;
        carry = split.carry;
    }
    r[columns] = lowWord(carry);
}

}  // namespace kestrum::aserv::kernel::detail
