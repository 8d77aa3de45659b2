// The kernel against GMP on operands up to the longest texts, in every shape.
#include <gmp.h>
#include <gtest/gtest.h>

#include <string>

#include "kernel/kernel.h"
#include "operands.h"

namespace kestrum::aserv::kernel::testing {
namespace {

class Mpz {
  public:
    Mpz() { mpz_init(value_); }
    explicit Mpz(const std::u16string& digits) : Mpz() {
        const std::string narrow(digits.begin(), digits.end());
        mpz_set_str(value_, narrow.empty() ? "0" : narrow.c_str(), 10);
    }
    ~Mpz() { mpz_clear(value_); }
    Mpz(const Mpz&) = delete;
    Mpz& operator=(const Mpz&) = delete;

    mpz_ptr get() { return value_; }

    std::u16string text() const {
        std::string narrow(mpz_sizeinbase(value_, 10) + 2, '\0');
        mpz_get_str(narrow.data(), 10, value_);
        narrow.resize(narrow.find('\0'));
        return std::u16string(narrow.begin(), narrow.end());
    }

  private:
    mpz_t value_;
};

void checkAgainstGmp(const std::u16string& a, const std::u16string& b) {
    SCOPED_TRACE(std::to_string(a.size()) + " and " + std::to_string(b.size()) + " digits");
    Mpz x(a);
    Mpz y(b);
    const int order = mpz_cmp(x.get(), y.get());
    EXPECT_EQ(compareMagnitudes(a, b), (order > 0) - (order < 0));
    Mpz r;
    mpz_add(r.get(), x.get(), y.get());
    EXPECT_EQ(addMagnitudes(a, b), r.text());
    if (order >= 0) {
        mpz_sub(r.get(), x.get(), y.get());
        EXPECT_EQ(subtractMagnitudes(a, b), r.text());
    }
    mpz_mul(r.get(), x.get(), y.get());
    EXPECT_EQ(multiplyMagnitudes(a, b), r.text());
    if (mpz_sgn(y.get()) != 0) {
        Mpz q;
        mpz_tdiv_qr(q.get(), r.get(), x.get(), y.get());
        const Division d = divideMagnitudes(a, b);
        EXPECT_EQ(d.quotient, q.text());
        EXPECT_EQ(d.remainder, r.text());
    }
}

TEST(KernelGmp, RandomLengthsUpToTheLimit) {
    OperandMaker maker(21);
    for (int round = 0; round < 60; ++round) {
        const std::size_t la = 1 + maker.below(32766);
        const std::size_t lb = 1 + maker.below(round % 3 == 0 ? 40 : la);
        checkAgainstGmp(maker.any(la), maker.any(lb));
    }
}

TEST(KernelGmp, LargestOperandsInEveryShape) {
    OperandMaker maker(22);
    for (const Shape sa : kShapes) {
        for (const Shape sb : kShapes) {
            checkAgainstGmp(maker.make(32766, sa), maker.make(16383, sb));
        }
    }
}

// Every pair of operand lengths that schoolbook multiplication takes (2 to 31 limbs of 18
// digits), random and all nines: every column length, each entering the four-limb passes of the
// column loop at each of its offsets.
TEST(KernelGmp, SchoolbookProductsOfEveryLength) {
    OperandMaker maker(24);
    constexpr std::size_t kLimbDigits = 18;
    for (std::size_t na = 2; na < 32; ++na) {
        for (std::size_t nb = 2; nb <= na; ++nb) {
            const Shape shape = (na + nb) % 3 == 0 ? Shape::Nines : Shape::Random;
            const std::u16string a = maker.make(na * kLimbDigits, shape);
            const std::u16string b = maker.make(nb * kLimbDigits - maker.below(kLimbDigits), shape);
            Mpz x(a);
            Mpz y(b);
            Mpz r;
            mpz_mul(r.get(), x.get(), y.get());
            EXPECT_EQ(multiplyMagnitudes(a, b), r.text()) << na << " x " << nb << " limbs";
        }
    }
}

// An operand of n limbs whose low m limbs are above its high limbs (order 0), below them
// (order 1) or equal to them (order 2). Requires n - m <= m.
std::u16string withHalves(OperandMaker& maker, std::size_t n, std::size_t m, int order) {
    constexpr std::size_t kLimbDigits = 18;
    const std::u16string high = maker.make((n - m) * kLimbDigits, Shape::Random);
    const std::size_t lowDigits = m * kLimbDigits;
    std::u16string low;
    if (order == 0) {
        low = u"9" + maker.make(lowDigits - 1, Shape::Random);
    } else if (order == 1) {
        low = std::u16string(lowDigits - high.size() + 1, u'0') +
              maker.make(high.size() - 1, Shape::Random);
    } else {
        low = std::u16string(lowDigits - high.size(), u'0') + high;
    }
    return high + low;
}

// Karatsuba splits both operands after m = ceil(na / 2) limbs and multiplies the differences or
// sums of their halves: every order of the halves in either operand, for equal and unequal
// lengths, with the longer operand's limb count odd and even.
TEST(KernelGmp, KaratsubaHalvesInEveryOrder) {
    OperandMaker maker(25);
    const std::size_t sizes[][2] = {{32, 32}, {33, 32}, {57, 57}, {64, 63}, {456, 455}, {600, 599}};
    for (const auto& s : sizes) {
        const std::size_t m = (s[0] + 1) / 2;
        for (int orderA = 0; orderA < 3; ++orderA) {
            for (int orderB = 0; orderB < 3; ++orderB) {
                const std::u16string a = withHalves(maker, s[0], m, orderA);
                const std::u16string b = withHalves(maker, s[1], m, orderB);
                Mpz x(a);
                Mpz y(b);
                Mpz r;
                mpz_mul(r.get(), x.get(), y.get());
                EXPECT_EQ(multiplyMagnitudes(a, b), r.text())
                    << s[0] << " x " << s[1] << " limbs, orders " << orderA << " " << orderB;
            }
        }
    }
}

TEST(KernelGmp, DivisionNearRecursionBlockSizes) {
    OperandMaker maker(23);
    // Divisor lengths whose limb counts land just below and above t * 2^k block sizes.
    const std::size_t divisorLengths[] = {703, 720, 1421, 1440, 1441, 2862, 5000, 11000, 16383};
    for (const std::size_t lb : divisorLengths) {
        const std::u16string b = maker.any(lb);
        checkAgainstGmp(maker.any(lb + 1 + maker.below(32766 - lb)), b);
        checkAgainstGmp(maker.any(2 * lb), b);
    }
}

}  // namespace
}  // namespace kestrum::aserv::kernel::testing
