// The storage that calls work in belongs to no object: many objects that each made a large call
// keep no more memory than one, and calls made at the same time from several threads, or while
// every kept storage is lent, still give each its own result.
#include "call_storage.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "arithm.h"
#include "automation_string.h"
#include "result_codes.h"
#include "variable.h"

namespace kestrum::api {
namespace {

using testing_support::Variable;

// `count` pseudo-random digits, the first not 0.
std::u16string digits(std::size_t count, std::uint32_t seed) {
    std::u16string text(count, u'0');
    for (char16_t& digit : text) {
        seed = seed * 1664525U + 1013904223U;
        digit = static_cast<char16_t>(u'0' + (seed >> 24) % 10);
    }
    text.front() = u'7';
    return text;
}

// Bytes the C heap has handed out and not taken back.
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Whether heapInUse() sees this process's allocations (it does not under a sanitizer's heap).
bool heapIsObservable() {
    constexpr std::size_t kProbe = std::size_t{4} << 20;
    const std::size_t before = heapInUse();
    const auto probe = std::make_unique<char[]>(kProbe);
    return heapInUse() >= before + kProbe;
}

// Calls imult with the two operands on every object, the results thrown away, and returns what
// the heap holds afterwards.
std::size_t heapAfterOneCallOnEach(const std::vector<Arithm>& objects, Variable& a, Variable& b) {
    for (const Arithm& arithm : objects) {
        Variable product;
        EXPECT_EQ(arithm.imult(a.address(), b.address(), product.address()), kSuccess);
    }
    return heapInUse();
}

TEST(CallStorage, ObjectsThatMadeLargeCallsKeepNoMemoryOfTheirOwn) {
    if (!heapIsObservable()) {
        GTEST_SKIP() << "the heap's use is not visible through mallinfo2 here";
    }
    constexpr std::size_t kObjects = 200;
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    Variable a(digits(16383, 1));
    Variable b(digits(16383, 2));
    // All objects stay alive until the end: kept memory would add up.
    const std::vector<Arithm> one(1);
    const std::vector<Arithm> some(kObjects);
    const std::vector<Arithm> twiceAsMany(2 * kObjects);
    const std::size_t afterOne = heapAfterOneCallOnEach(one, a, b);
    const std::size_t afterSome = heapAfterOneCallOnEach(some, a, b);
    const std::size_t afterAll = heapAfterOneCallOnEach(twiceAsMany, a, b);
    EXPECT_LT(afterAll, afterSome + kMiB / 4) << "the heap grows with the number of objects";
    EXPECT_LT(afterAll, afterOne + 2 * kMiB)
        << (afterAll - afterOne) / 1024 << " KiB more after " << 3 * kObjects + 1 << " objects";
}

using StringMethod = ResultCode (Arithm::*)(AutoString*, AutoString*, AutoString*) const noexcept;

struct Case {
    const char* name;
    StringMethod method;
    std::u16string a1;
    std::u16string a2;
};

std::vector<Case> mixedCases() {
    const std::u16string large = digits(16383, 3);
    const std::u16string medium = digits(3000, 4);
    return {
        {"imult large", &Arithm::imult, large, digits(16383, 5)},
        {"imult medium", &Arithm::imult, medium, digits(2000, 6)},
        {"imult short", &Arithm::imult, u"123456789", u"-987654321"},
        {"iadd long", &Arithm::iadd, digits(32766, 7), digits(32000, 8)},
        {"isub long", &Arithm::isub, u"-" + medium, large},
        {"rmult point", &Arithm::rmult, medium + u".25", u"-" + digits(900, 9) + u".5"},
        {"radd short", &Arithm::radd, u"12.5", u"-0.75"},
        {"iadd error", &Arithm::iadd, medium + u"x", u"1"},
    };
}

struct Outcome {
    ResultCode code;
    std::u16string text;
    bool operator==(const Outcome&) const = default;
};

Outcome callOn(const Arithm& arithm, const Case& call) {
    Variable a1(call.a1);
    Variable a2(call.a2);
    Variable result;
    const ResultCode code = (arithm.*call.method)(a1.address(), a2.address(), result.address());
    return {code, result.text()};
}

// Runs the cases `rounds` times on `threads` threads at once, each thread starting at another
// case, on an object of its own and on one shared object; returns the calls whose outcome differs
// from `expected`.
int mismatchesOnThreads(const std::vector<Case>& cases, const std::vector<Outcome>& expected,
                        std::size_t threads, std::size_t rounds) {
    const Arithm shared;
    std::atomic<int> mismatches{0};
    std::vector<std::thread> workers;
    for (std::size_t t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            const Arithm own;
            for (std::size_t round = 0; round < rounds; ++round) {
                for (std::size_t i = 0; i < cases.size(); ++i) {
                    const std::size_t index = (i + t) % cases.size();
                    const Arithm& arithm = (round + index) % 2 == 0 ? own : shared;
                    if (callOn(arithm, cases[index]) != expected[index]) {
                        ++mismatches;
                    }
                }
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    return mismatches.load();
}

TEST(CallStorage, ThreadsCallingAtOnceGetTheResultsOfOneThread) {
    const std::vector<Case> cases = mixedCases();
    std::vector<Outcome> expected;
    expected.reserve(cases.size());
    for (const Case& call : cases) {
        expected.push_back(callOn(Arithm(), call));
    }
    ASSERT_NE(expected.back().code, kSuccess) << "the table keeps a failing call";
    // Two threads find free storage; twenty are more than the storage kept for calls at once.
    for (const std::size_t threads : {std::size_t{2}, std::size_t{20}}) {
        EXPECT_EQ(mismatchesOnThreads(cases, expected, threads, 3), 0) << threads << " threads";
    }
}

// How far apart two addresses lie modulo 4096, whichever comes first.
std::uintptr_t pageDistance(const void* p, const void* q) {
    const std::uintptr_t ahead =
        (reinterpret_cast<std::uintptr_t>(p) - reinterpret_cast<std::uintptr_t>(q)) % 4096;
    return std::min(ahead, 4096 - ahead);
}

std::uintptr_t nearestOperand(const std::u16string& text, std::u16string_view a,
                              std::u16string_view b) {
    return std::min(pageDistance(text.data(), a.data()), pageDistance(text.data(), b.data()));
}

TEST(CallStorage, ResultTextsForLinearPassesKeepClearOfTheOperandsPages) {
    constexpr std::size_t kUnits = 20000;
    // Operands start at these distances (bytes, modulo 4096) after the first kept text, b 1 KiB
    // further; 512 bytes or more on both sides leave the first text clear of them, and it is
    // kept then. Whatever text is chosen lies no nearer to them than the first.
    struct Placement {
        std::uintptr_t after;
        bool firstIsClear;
    };
    const std::array<Placement, 7> placements{{{0, false},
                                               {2, false},
                                               {256, false},
                                               {512, true},
                                               {2048, true},
                                               {3582, false},
                                               {4094, false}}};
    const std::u16string pool = digits(kUnits * 2 + 8192, 11);
    CallStorage::Loan lent;
    lent.text().reserve(kUnits + 2);
    const std::u16string& first = lent.text();
    for (const Placement& placement : placements) {
        // Where in `pool` a view starts `offset` bytes after `first`, modulo 4096.
        const auto at = [&](std::uintptr_t offset) {
            const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(pool.data());
            const std::uintptr_t target = reinterpret_cast<std::uintptr_t>(first.data()) + offset;
            const std::size_t skip = ((target - base) % 4096) / sizeof(char16_t);
            return std::u16string_view(pool).substr(skip, kUnits);
        };
        const std::u16string_view a = at(placement.after);
        const std::u16string_view b = at(placement.after + 1024);
        const std::uintptr_t firstDistance = nearestOperand(first, a, b);
        const std::u16string& chosen = lent.textApartFrom(a, b);
        EXPECT_GE(chosen.capacity(), kUnits) << placement.after;
        EXPECT_GE(nearestOperand(chosen, a, b), firstDistance) << placement.after;
        if (placement.firstIsClear) {
            EXPECT_EQ(&chosen, &first) << placement.after;
        }
    }
}

TEST(CallStorage, CallsWhileEveryKeptStorageIsLentWorkOnTheirOwn) {
    const std::vector<Case> cases = mixedCases();
    std::vector<Outcome> expected;
    expected.reserve(cases.size());
    for (const Case& call : cases) {
        expected.push_back(callOn(Arithm(), call));
    }
    // Loans held by this thread, as by calls that have not returned: more than are kept.
    constexpr std::size_t kHeld = 32;
    std::array<std::unique_ptr<CallStorage::Loan>, kHeld> held;
    for (std::size_t i = 0; i < kHeld; ++i) {
        held[i] = std::make_unique<CallStorage::Loan>();
        held[i]->text() = u"held " + std::u16string(1, static_cast<char16_t>(u'A' + i));
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(callOn(Arithm(), cases[i]), expected[i]) << cases[i].name;
    }
    for (std::size_t i = 0; i < kHeld; ++i) {
        EXPECT_EQ(held[i]->text(), u"held " + std::u16string(1, static_cast<char16_t>(u'A' + i)))
            << "a call wrote into a text lent to another";
    }
}

}  // namespace
}  // namespace kestrum::api
