// The limb-level building blocks against plain per-limb references: products split without a
// division, multiply-and-subtract with its largest borrows, carry and borrow chains through runs
// of extreme limbs, one-limb division by every kind of divisor, and digit formatting of every
// limb position.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "kernel/digits.h"
#include "kernel/limb.h"
#include "kernel/limb_ops.h"

namespace kestrum::aserv::kernel::testing {
namespace {

using detail::kBase;
using detail::Limb;
using detail::Wide;

constexpr Limb kTop = kBase - 1;

// Edge limbs, then random ones.
std::vector<Limb> sampleLimbs(std::mt19937_64& rng, std::size_t count) {
    std::vector<Limb> v = {0, 1, 2, 9, 10, kBase / 2 - 1, kBase / 2, kBase / 2 + 1, kTop - 1, kTop};
    std::uniform_int_distribution<Limb> limb(0, kTop);
    while (v.size() < count) {
        v.push_back(limb(rng));
    }
    return v;
}

// a * m + carry split in base 10^18 by long division of the double word.
detail::LimbPair referenceSplit(Limb a, Limb m, Limb carry) {
    const Wide w = detail::mulWide(a, m) + carry;
    const Limb hi = detail::highWord(w);
    const Limb hiQuotient = hi / kBase;
    Limb low = 0;
    const Limb loQuotient = detail::kBaseDivisor.divide(hi % kBase, detail::lowWord(w), low);
    EXPECT_EQ(hiQuotient, 0U);
    return {loQuotient, low};
}

TEST(KernelLimbOps, BaseMultiplierSplitsEveryProductExactly) {
    std::mt19937_64 rng(11);
    const std::vector<Limb> limbs = sampleLimbs(rng, 200);
    for (const Limb m : limbs) {
        const detail::BaseMultiplier mul(m);
        for (const Limb a : limbs) {
            const detail::LimbPair p = mul.split(a);
            ASSERT_LT(p.low, 2 * kBase) << a << " * " << m;
            ASSERT_TRUE(detail::mulWide(p.high, kBase) + p.low == detail::mulWide(a, m))
                << a << " * " << m;
        }
    }
}

TEST(KernelLimbOps, ColumnSplitIsExactUpToItsBound) {
    std::mt19937_64 rng(12);
    const std::vector<Limb> limbs = sampleLimbs(rng, 64);
    std::vector<Wide> sums = {0, 1, kTop, kBase, detail::makeWide((Limb{1} << 62) - 1, ~Limb{0})};
    for (std::size_t terms = 1; terms <= 64; terms *= 2) {
        for (std::size_t start = 0; start + terms <= limbs.size(); start += terms) {
            Wide sum = 0;
            Wide nines = 0;
            for (std::size_t i = start; i < start + terms; ++i) {
                sum += detail::mulWide(limbs[i], limbs[limbs.size() - 1 - i]);
                nines += detail::mulWide(kTop, kTop);
            }
            sums.push_back(sum);
            sums.push_back(nines);
        }
    }
    for (const Wide t : sums) {
        const detail::ColumnSplit split = detail::splitColumn(t);
        const Limb carryLow = detail::lowWord(split.carry);
        const Wide back = detail::mulWide(carryLow, kBase) +
                          detail::makeWide(detail::highWord(split.carry) * kBase, 0) + split.digit;
        ASSERT_LT(split.digit, kBase);
        ASSERT_TRUE(back == t) << detail::highWord(t) << ":" << detail::lowWord(t);
    }
}

// Vectors of several lengths, odd and even (multiply-and-subtract works the two halves of a row
// side by side), among them a lower half of nines over an upper half of zeros: subtracted from
// zeros, the lower half's carry then borrows through every limb of the upper half.
TEST(KernelLimbOps, MultiplyAndMultiplySubtractMatchPerLimbReferences) {
    std::mt19937_64 rng(12);
    const std::vector<Limb> random = sampleLimbs(rng, 64);
    const std::vector<Limb> tops(64, kTop);
    std::vector<Limb> halfTops(64, 0);
    std::fill(halfTops.begin(), halfTops.begin() + 32, kTop);
    std::vector<std::vector<Limb>> operands;
    for (const std::size_t n :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{5}, std::size_t{64}}) {
        operands.emplace_back(random.begin(), random.begin() + static_cast<std::ptrdiff_t>(n));
        operands.emplace_back(tops.begin(), tops.begin() + static_cast<std::ptrdiff_t>(n));
    }
    operands.push_back(halfTops);
    operands.emplace_back(halfTops.begin() + 1, halfTops.end());  // 31 nines over 32 zeros
    for (const Limb m : sampleLimbs(rng, 40)) {
        for (const std::vector<Limb>& x : operands) {
            const std::vector<Limb> zeros(x.size(), 0);
            // r = x * m.
            std::vector<Limb> expected(x.size());
            Limb carry = 0;
            for (std::size_t i = 0; i < x.size(); ++i) {
                const detail::LimbPair p = referenceSplit(x[i], m, carry);
                expected[i] = p.low;
                carry = p.high;
            }
            std::vector<Limb> r(x.size());
            EXPECT_EQ(detail::mulLimb(r.data(), x.data(), x.size(), m), carry) << m;
            EXPECT_EQ(r, expected) << m;

            // r -= x * m from r = 0 (every limb borrows) and from r = x.
            for (const std::vector<Limb>* from : {&zeros, &x}) {
                std::vector<Limb> want = *from;
                Limb owed = 0;
                for (std::size_t i = 0; i < x.size(); ++i) {
                    const detail::LimbPair p = referenceSplit(x[i], m, owed);
                    owed = p.high;
                    if (want[i] >= p.low) {
                        want[i] -= p.low;
                    } else {
                        want[i] = want[i] + kBase - p.low;
                        ++owed;
                    }
                }
                std::vector<Limb> got = *from;
                EXPECT_EQ(detail::subMulLimb(got.data(), x.data(), x.size(), m), owed)
                    << m << " over " << x.size();
                EXPECT_EQ(got, want) << m << " over " << x.size();
            }
        }
    }
}

TEST(KernelLimbOps, CarriesAndBorrowsRunThroughWholeVectors) {
    const std::size_t n = 50;
    const std::vector<Limb> tops(n, kTop);
    const std::vector<Limb> zeros(n, 0);
    const std::vector<Limb> one = {1};
    std::vector<Limb> r(n);
    // 99..9 + 1 = 10^(18n): all zeros and a carry out.
    EXPECT_EQ(detail::addLimbs(r.data(), tops.data(), n, one.data(), 1), 1U);
    EXPECT_EQ(r, zeros);
    // 99..9 + 99..9 = 1 99..98.
    EXPECT_EQ(detail::addLimbs(r.data(), tops.data(), n, tops.data(), n), 1U);
    EXPECT_EQ(r[0], kTop - 1);
    EXPECT_EQ(std::vector<Limb>(r.begin() + 1, r.end()), std::vector<Limb>(n - 1, kTop));
    // 0 - 1 borrows through every limb.
    EXPECT_EQ(detail::subLimbs(r.data(), zeros.data(), n, one.data(), 1), 1U);
    EXPECT_EQ(r, tops);
    // 0 - 99..9 = 1 with a borrow out; 99..9 - 99..9 = 0.
    EXPECT_EQ(detail::subLimbs(r.data(), zeros.data(), n, tops.data(), n), 1U);
    EXPECT_EQ(r[0], 1U);
    EXPECT_EQ(std::vector<Limb>(r.begin() + 1, r.end()), std::vector<Limb>(n - 1, 0));
    EXPECT_EQ(detail::subLimbs(r.data(), tops.data(), n, tops.data(), n), 0U);
    EXPECT_EQ(r, zeros);

    // The same with a full-length second operand of value 1: b's limbs are worked in two halves
    // side by side, and the lower half's carry or borrow must run through the whole upper half.
    for (const std::size_t m : {std::size_t{2}, std::size_t{3}, std::size_t{49}, std::size_t{50}}) {
        std::vector<Limb> unit(m, 0);
        unit[0] = 1;
        std::vector<Limb> out(m);
        EXPECT_EQ(detail::addLimbs(out.data(), tops.data(), m, unit.data(), m), 1U) << m;
        EXPECT_EQ(out, std::vector<Limb>(m, 0)) << m;
        EXPECT_EQ(detail::subLimbs(out.data(), zeros.data(), m, unit.data(), m), 1U) << m;
        EXPECT_EQ(out, std::vector<Limb>(m, kTop)) << m;
    }

    // Random vectors against a per-limb reference with explicit comparisons.
    std::mt19937_64 rng(13);
    const std::vector<Limb> a = sampleLimbs(rng, 300);
    std::vector<Limb> b = sampleLimbs(rng, 300);
    std::shuffle(b.begin(), b.end(), rng);
    std::vector<Limb> sum(a.size());
    std::vector<Limb> difference(a.size());
    const Limb carry = detail::addLimbs(sum.data(), a.data(), a.size(), b.data(), b.size());
    const Limb borrow = detail::subLimbs(difference.data(), a.data(), a.size(), b.data(), b.size());
    Limb c = 0;
    Limb d = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const Limb s = a[i] + b[i] + c;
        c = s >= kBase ? 1 : 0;
        EXPECT_EQ(sum[i], s - c * kBase) << i;
        const Limb taken = b[i] + d;
        d = a[i] < taken ? 1 : 0;
        EXPECT_EQ(difference[i], a[i] + d * kBase - taken) << i;
    }
    EXPECT_EQ(carry, c);
    EXPECT_EQ(borrow, d);
}

TEST(KernelLimbOps, OneLimbDivisionByEveryKindOfDivisor) {
    std::mt19937_64 rng(14);
    std::vector<Limb> divisors = {1, 2, 3, 7, kTop, kTop - 1, kBase / 2, kBase / 2 + 1};
    for (Limb p = 10; p < kBase; p *= 10) {
        divisors.insert(divisors.end(), {p - 1, p, p + 1});
    }
    std::uniform_int_distribution<Limb> limb(1, kTop);
    for (int i = 0; i < 20; ++i) {
        divisors.push_back(limb(rng) >> (rng() % 58));
    }
    std::vector<Limb> a = sampleLimbs(rng, 120);
    a.insert(a.end(), 30, kTop);
    for (const Limb d : divisors) {
        if (d == 0) {
            continue;
        }
        std::vector<Limb> q(a.size());
        const Limb r = detail::divLimb(q.data(), a.data(), a.size(), detail::Divisor(d));
        ASSERT_LT(r, d) << d;
        // q * d + r rebuilt limb by limb must give a back.
        Limb carry = r;
        for (std::size_t i = 0; i < a.size(); ++i) {
            const detail::LimbPair p = referenceSplit(q[i], d, carry);
            ASSERT_EQ(p.low, a[i]) << d << " at limb " << i;
            carry = p.high;
        }
        EXPECT_EQ(carry, 0U) << d;
    }
}

std::string referenceText(const std::vector<Limb>& limbs) {
    std::string s = std::to_string(limbs.back());
    for (std::size_t i = limbs.size() - 1; i-- != 0;) {
        const std::string part = std::to_string(limbs[i]);
        s += std::string(detail::kLimbDigits - part.size(), '0') + part;
    }
    return s;
}

TEST(KernelLimbOps, FormattingWritesEveryDigitPosition) {
    std::mt19937_64 rng(15);
    std::vector<Limb> limbs = sampleLimbs(rng, 100);
    for (Limb p = 1; p < kBase; p *= 10) {
        limbs.insert(limbs.end(), {p, p - 1, p * 9 - 1});
    }
    limbs.insert(limbs.end(), {99'999'999, 100'000'000, 9'999'999'999'999'999ULL,
                               10'000'000'000'000'000ULL, 123'456'789'012'345'678ULL});
    for (const Limb top : {Limb{1}, Limb{12'345}, kTop}) {
        limbs.push_back(top);
        const std::u16string text = detail::limbsToText(limbs.data(), limbs.size());
        const std::string expected = referenceText(limbs);
        EXPECT_EQ(std::string(text.begin(), text.end()), expected);
        limbs.pop_back();
    }
}

}  // namespace
}  // namespace kestrum::aserv::kernel::testing
