// The schoolbook products that the longer products are built on, each variant this machine runs
// against a plain product of limbs (Karatsuba above them is checked in kernel_algorithm_test), over
// the shapes where their inner workings change and the limb values that make their sums and carries
// largest or their halves meet the base.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "kernel/limb.h"
#include "kernel/school_avx2.h"
#include "kernel/school_avx512.h"
#include "kernel/school_columns.h"
#include "kernel/x86_vectors.h"

namespace kestrum::aserv::kernel::testing {
namespace {

using detail::kBase;
using detail::Limb;
using Limbs = std::vector<Limb>;

// One limb product at a time, each carried through at once; limbs are cut into halves below
// 10^9 so that every step fits one 64-bit word on every target.
Limbs plainProduct(const Limbs& a, const Limbs& b) {
    constexpr Limb kHalf = 1'000'000'000;
    Limbs r(a.size() + b.size(), 0);
    for (std::size_t i = 0; i < a.size(); ++i) {
        Limb carry = 0;
        for (std::size_t j = 0; j < b.size(); ++j) {
            const Limb middle = a[i] / kHalf * (b[j] % kHalf) + a[i] % kHalf * (b[j] / kHalf);
            const Limb low = a[i] % kHalf * (b[j] % kHalf) + middle % kHalf * kHalf;
            const Limb high = a[i] / kHalf * (b[j] / kHalf) + middle / kHalf + low / kBase;
            const Limb t = r[i + j] + low % kBase + carry;
            r[i + j] = t % kBase;
            carry = high + t / kBase;
        }
        r[i + b.size()] = carry;
    }
    return r;
}

enum class Pattern { kMax, kRandom, kMaxTimesRandom, kHalfEdges, kSparse };

// kMax makes every column sum as large as it can be; kHalfEdges takes limbs whose halves sit at
// the edges of 10^9, where estimated quotients by 10^9 are most often one off.
Limbs makeLimbs(std::size_t n, Pattern pattern, bool second, std::mt19937_64& rng) {
    static constexpr Limb kHalf = 1'000'000'000;
    static constexpr Limb kEdges[] = {0,
                                      1,
                                      kHalf - 1,
                                      kHalf,
                                      kHalf + 1,
                                      kBase - 1,
                                      kBase - kHalf,
                                      (kHalf - 1) * kHalf,
                                      kBase / 2,
                                      kBase - kHalf - 1};
    Limbs v(n);
    for (std::size_t i = 0; i < n; ++i) {
        switch (pattern) {
            case Pattern::kMax:
                v[i] = kBase - 1;
                break;
            case Pattern::kRandom:
                v[i] = rng() % kBase;
                break;
            case Pattern::kMaxTimesRandom:
                v[i] = second ? rng() % kBase : kBase - 1;
                break;
            case Pattern::kHalfEdges:
                v[i] = kEdges[static_cast<std::size_t>(rng() % std::size(kEdges))];
                break;
            case Pattern::kSparse:
                v[i] = (i == 0 || i + 1 == n) ? kBase - 1 : 0;
                break;
        }
    }
    return v;
}

struct Shape {
    std::size_t na;
    std::size_t nb;
};

// Around the column sums' limit, the vector forms' shortest useful operand, their limits, their
// blocks of half columns and their pieces of 128 limbs of the longer operand, and shorter
// operands first.
constexpr std::array<Shape, 34> kShapes = {{
    {1, 1},    {2, 1},    {1, 5},   {7, 7},   {8, 8},    {9, 8},    {8, 9},
    {15, 3},   {16, 16},  {17, 17}, {30, 31}, {31, 31},  {32, 31},  {31, 32},
    {40, 33},  {63, 64},  {64, 64}, {65, 64}, {64, 65},  {100, 1},  {127, 64},
    {128, 64}, {129, 64}, {128, 8}, {129, 9}, {200, 50}, {256, 64}, {257, 63},
    {300, 31}, {385, 64}, {5, 60},  {64, 3},  {32, 32},  {257, 32},
}};

constexpr std::array kPatterns = {Pattern::kMax, Pattern::kRandom, Pattern::kMaxTimesRandom,
                                  Pattern::kHalfEdges, Pattern::kSparse};

std::string describe(const Shape& s, Pattern p) {
    return std::to_string(s.na) + " x " + std::to_string(s.nb) + " limbs, pattern " +
           std::to_string(static_cast<int>(p));
}

using SchoolProduct = void (*)(Limb*, const Limb*, std::size_t, const Limb*, std::size_t);

struct School {
    const char* name;
    SchoolProduct multiply;
    std::size_t shorterLimit;
    bool longerFirst;  // whether a must be the longer operand
};

// The schoolbooks this build and CPU run.
std::vector<School> schools() {
    std::vector<School> list = {
        {"column sums", detail::multiplySchoolColumns, detail::kColumnSchoolLimbs, true}};
#if KESTRUM_X86_VECTORS
    if (detail::avx2SchoolAvailable()) {
        list.push_back({"AVX2", detail::multiplySchoolAvx2, detail::kAvx2SchoolLimbs, false});
    }
#endif
#if defined(__x86_64__)
    if (detail::avx512SchoolAvailable()) {
        list.push_back(
            {"AVX-512", detail::multiplySchoolAvx512, detail::kAvx512SchoolLimbs, false});
    }
#endif
    return list;
}

TEST(KernelSchool, EverySchoolbookMatchesThePlainProduct) {
    std::mt19937_64 rng(41);
    for (const School& school : schools()) {
        for (const Shape& s : kShapes) {
            if (std::min(s.na, s.nb) > school.shorterLimit || (school.longerFirst && s.na < s.nb)) {
                continue;
            }
            for (const Pattern p : kPatterns) {
                SCOPED_TRACE(std::string(school.name) + ", " + describe(s, p));
                const Limbs a = makeLimbs(s.na, p, false, rng);
                const Limbs b = makeLimbs(s.nb, p, true, rng);
                Limbs r(s.na + s.nb, 7);
                school.multiply(r.data(), a.data(), s.na, b.data(), s.nb);
                EXPECT_EQ(r, plainProduct(a, b));
            }
        }
    }
}

// The vector schoolbooks are built wherever the vector paths are (x86-64, and 32-bit x86 with
// SSE2) and run on every CPU that has their instructions; 32-bit builds without SSE2 have none.
TEST(KernelSchool, VectorFormsRunWhereTheCpuHasThem) {
#if defined(__x86_64__) || defined(__i386__)
    const bool cpuHasAvx2 = __builtin_cpu_supports("avx2");
#else
    const bool cpuHasAvx2 = false;
#endif
    const bool built = KESTRUM_X86_VECTORS != 0;
    EXPECT_EQ(detail::avx2SchoolAvailable(), built && cpuHasAvx2);
#if !defined(__x86_64__)
    EXPECT_FALSE(detail::avx512SchoolAvailable());
#endif
}

}  // namespace
}  // namespace kestrum::aserv::kernel::testing
