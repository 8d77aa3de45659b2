// Digit-run addition and subtraction: every block-loop variant that this machine runs (SSE2 and
// AVX2 packed decimal on x86-64 and on 32-bit x86 with SSE2) gives the digits and the carry of the
// digit-by-digit loop, on lengths around the block widths and on carries and borrows that run
// through whole runs; every variant of the digit scan finds the same first unit that is no digit.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "kernel/digit_runs.h"
#include "kernel/packed_runs.h"
#include "kernel/x86_vectors.h"

namespace kestrum::aserv::kernel {
namespace {

using detail::RunsVariant;

std::vector<RunsVariant> blockVariants() {
    std::vector<RunsVariant> variants;
    for (const RunsVariant v : {RunsVariant::kSse2, RunsVariant::kAvx2}) {
        if (detail::runsVariantAvailable(v)) {
            variants.push_back(v);
        }
    }
    return variants;
}

const char* nameOf(RunsVariant variant) {
    return variant == RunsVariant::kAvx2 ? "AVX2"
                                         : (variant == RunsVariant::kSse2 ? "SSE2" : "digits");
}

struct Outcome {
    std::u16string digits;
    unsigned carry;
    bool operator==(const Outcome&) const = default;
};

Outcome add(RunsVariant variant, const std::u16string& a, const std::u16string& b, unsigned carry) {
    // One unit on either side of the output must stay as it is.
    std::u16string out(a.size() + 2, u'#');
    const unsigned carryOut = detail::addRunsWith(variant, out.data() + 1, a, b, carry);
    EXPECT_EQ(out.front(), u'#');
    EXPECT_EQ(out.back(), u'#');
    return {out.substr(1, a.size()), carryOut};
}

Outcome subtract(RunsVariant variant, const std::u16string& a, const std::u16string& b,
                 unsigned borrow) {
    std::u16string out(a.size() + 2, u'#');
    const unsigned borrowOut = detail::subtractRunsWith(variant, out.data() + 1, a, b, borrow);
    EXPECT_EQ(out.front(), u'#');
    EXPECT_EQ(out.back(), u'#');
    return {out.substr(1, a.size()), borrowOut};
}

void expectVariantsAgree(const std::u16string& a, const std::u16string& b, unsigned carry) {
    const Outcome sum = add(RunsVariant::kDigitByDigit, a, b, carry);
    const Outcome difference = subtract(RunsVariant::kDigitByDigit, a, b, carry);
    for (const RunsVariant variant : blockVariants()) {
        ASSERT_EQ(add(variant, a, b, carry), sum) << nameOf(variant) << " " << a.size();
        ASSERT_EQ(subtract(variant, a, b, carry), difference) << nameOf(variant) << " " << a.size();
    }
}

TEST(DigitRuns, BlockVariantsOfThisMachine) {
    for (const RunsVariant variant : blockVariants()) {
        std::printf("block variant run: %s\n", nameOf(variant));
    }
#if KESTRUM_X86_VECTORS
    EXPECT_TRUE(detail::runsVariantAvailable(RunsVariant::kSse2));
    EXPECT_EQ(detail::fastestRunsVariant(), blockVariants().back());
#else
    EXPECT_EQ(detail::fastestRunsVariant(), RunsVariant::kDigitByDigit);
#endif
}

TEST(DigitRuns, VariantsAgreeOnRandomRunsAroundTheBlockWidths) {
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> digit(0, 9);
    const auto digits = [&](std::size_t n) {
        std::u16string text;
        for (std::size_t i = 0; i < n; ++i) {
            text.push_back(static_cast<char16_t>(u'0' + digit(random)));
        }
        return text;
    };
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 200; ++n) {
        lengths.push_back(n);
    }
    for (const std::size_t n : {255U, 256U, 257U, 1000U, 4113U}) {
        lengths.push_back(n);
    }
    for (const std::size_t n : lengths) {
        for (const unsigned carry : {0U, 1U}) {
            expectVariantsAgree(digits(n), digits(n), carry);
        }
    }
}

TEST(DigitRuns, VariantsAgreeWhereCarriesAndBorrowsRunThrough) {
    for (const std::size_t n : {31U, 32U, 33U, 63U, 64U, 65U, 96U, 130U}) {
        const std::u16string nines(n, u'9');
        const std::u16string zeros(n, u'0');
        std::u16string ninesOneEight = nines;
        ninesOneEight[n / 2] = u'8';
        std::u16string alternating;  // digit sums of 9 with a carry generated at the end only
        for (std::size_t i = 0; i < n; ++i) {
            alternating.push_back(i % 2 == 0 ? u'4' : u'7');
        }
        std::u16string complement;
        for (const char16_t d : alternating) {
            complement.push_back(static_cast<char16_t>(u'9' - (d - u'0')));
        }
        for (const unsigned carry : {0U, 1U}) {
            expectVariantsAgree(nines, zeros, carry);
            expectVariantsAgree(zeros, nines, carry);
            expectVariantsAgree(nines, nines, carry);
            expectVariantsAgree(zeros, zeros, carry);
            expectVariantsAgree(ninesOneEight, zeros, carry);
            expectVariantsAgree(alternating, complement, carry);
            expectVariantsAgree(complement, alternating, carry);
        }
    }
}

// The scans for digits: a unit of another kind anywhere in texts around the 32- and 64-unit
// blocks, among them units that saturate when packed to bytes.
TEST(DigitRuns, VariantsFindTheFirstUnitThatIsNoDigit) {
    constexpr std::array<char16_t, 7> kOthers = {u' ', u'/', u':', 0x0130, 0x0139, 0x8030, 0xFF19};
    std::mt19937 random(20261209);
    const auto below = [&](std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random);
    };
    std::vector<RunsVariant> variants = blockVariants();
    variants.push_back(RunsVariant::kDigitByDigit);
    for (const std::size_t n : {0U, 1U, 31U, 32U, 33U, 63U, 64U, 65U, 127U, 128U, 129U, 300U}) {
        for (int trial = 0; trial < 40; ++trial) {
            std::u16string text;
            for (std::size_t i = 0; i < n; ++i) {
                text.push_back(static_cast<char16_t>(u'0' + below(10)));
            }
            std::size_t expected = n;
            if (n != 0 && trial % 4 != 0) {
                expected = below(n);
                text[expected] = kOthers[below(kOthers.size())];
                if (expected + 1 < n && trial % 3 == 0) {
                    text[expected + 1 + below(n - expected - 1)] = u'x';
                }
            }
            for (const RunsVariant variant : variants) {
                ASSERT_EQ(detail::leadingDigitsWith(variant, text), expected)
                    << nameOf(variant) << " " << n;
            }
        }
    }
}

// Every length up to past two blocks of sixteen, a difference at every place (or none), with and
// without a unit that is no digit at every place of either text, against one unit at a time.
TEST(DigitRuns, ComparisonFindsTheFirstDifferenceAndEveryUnitThatIsNoDigit) {
    constexpr std::array<char16_t, 4> kOthers = {u'/', u':', 0x0139, 0x8030};
    for (std::size_t n = 0; n <= 40; ++n) {
        std::u16string a;
        for (std::size_t i = 0; i < n; ++i) {
            a.push_back(static_cast<char16_t>(u'0' + (i * 7 + 3) % 10));
        }
        for (std::size_t differ = 0; differ <= n; ++differ) {
            std::u16string b = a;
            if (differ < n) {
                b[differ] = static_cast<char16_t>(u'0' + (b[differ] - u'0' + 1) % 10);
            }
            // other == 2 n: digits only; below n: in a; from n: in b.
            for (std::size_t other = 0; other <= 2 * n; ++other) {
                std::u16string x = a;
                std::u16string y = b;
                if (other < 2 * n) {
                    std::u16string& text = other < n ? x : y;
                    text[other % n] = kOthers[other % kOthers.size()];
                }
                std::size_t difference = n;
                bool digits = true;
                for (std::size_t i = 0; i < n; ++i) {
                    if (difference == n && x[i] != y[i]) {
                        difference = i;
                    }
                    digits = digits && x[i] >= u'0' && x[i] <= u'9' && y[i] >= u'0' && y[i] <= u'9';
                }
                const RunComparison found = compareDigitRuns(x, y);
                ASSERT_EQ(found.digits, digits) << n << " " << differ << " " << other;
                if (digits) {
                    ASSERT_EQ(found.difference, difference) << n << " " << differ;
                }
            }
        }
    }
}

}  // namespace
}  // namespace kestrum::aserv::kernel
