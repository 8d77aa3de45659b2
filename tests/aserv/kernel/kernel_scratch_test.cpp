// The scratch store that callers keep between calls: size classes, reuse of freed blocks in any
// order, the bound on what waits, the scope that routes the kernel's temporaries to a store, and
// kernel results computed from reused (dirty) blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "kernel/kernel.h"
#include "kernel/limb_buffer.h"
#include "kernel/scratch.h"

namespace kestrum::aserv::kernel {
namespace {

struct ClassCase {
    std::size_t request;
    std::size_t size;
};

TEST(ScratchClasses, RequestsRoundUpToFourClassesPerDoubling) {
    const ClassCase cases[] = {
        {1, 256},
        {256, 256},
        {257, 320},
        {320, 320},
        {321, 384},
        {448, 448},
        {449, 512},
        {512, 512},
        {513, 640},
        {1000, 1024},
        {1025, 1280},
        {3 << 15, 3 << 15},
        {(3 << 15) + 1, 7 << 14},
        {1 << 20, 1 << 20},
        {(1 << 20) + 1, 5 << 18},
    };
    for (const ClassCase& c : cases) {
        EXPECT_EQ(detail::scratchClassSize(c.request), c.size) << c.request;
    }
    for (std::size_t request = 1; request < (1 << 16); request += 7) {
        const std::size_t size = detail::scratchClassSize(request);
        ASSERT_GE(size, request);
        ASSERT_LE(size, request + request / 4 + 256) << request;
    }
}

TEST(ScratchStore, FreedBlocksServeLaterRequestsOfTheirClassInAnyOrder) {
    ScratchStore store;
    void* small = store.take(1000);
    void* large = store.take(40000);
    store.give(small, 1000);
    store.give(large, 40000);
    EXPECT_EQ(store.waiting(), 1024U + 40960U);
    EXPECT_EQ(store.take(1001), small);  // same class as 1000
    EXPECT_EQ(store.take(40960), large);
    EXPECT_EQ(store.waiting(), 0U);
    void* other = store.take(2000);  // another class: a new block
    EXPECT_NE(other, small);
    EXPECT_NE(other, large);
    store.give(other, 2000);
    store.give(small, 1000);
    store.give(large, 40000);
}

TEST(ScratchStore, TrimFreesLargestClassesFirstAndHugeBlocksAreNotKept) {
    ScratchStore store;
    void* a = store.take(300);
    void* b = store.take(5000);
    void* c = store.take(70000);
    void* huge = store.take(std::size_t{3} << 20);
    store.give(a, 300);
    store.give(b, 5000);
    store.give(c, 70000);
    store.give(huge, std::size_t{3} << 20);
    const std::size_t all = 320 + 5120 + 81920;
    EXPECT_EQ(store.waiting(), all);
    store.trim(6000);
    EXPECT_EQ(store.waiting(), 320U + 5120U);
    EXPECT_EQ(store.take(5000), b);
    store.trim(0);
    EXPECT_EQ(store.waiting(), 0U);
    store.give(b, 5000);
}

TEST(ScratchScope, RoutesScratchToTheStoreAndRestoresTheOuterScope) {
    ScratchStore outer;
    ScratchStore inner;
    {
        const ScratchScope outerScope(&outer);
        void* block = allocateScratch(10000);
        {
            const ScratchScope innerScope(&inner);
            releaseScratch(block, 10000);  // freed into the inner store
            EXPECT_EQ(inner.waiting(), 10240U);
            {
                const ScratchScope heapScope(nullptr);
                void* fromHeap = allocateScratch(10000);
                EXPECT_NE(fromHeap, block);
                releaseScratch(fromHeap, 10000);
                EXPECT_EQ(inner.waiting(), 10240U);
            }
            EXPECT_EQ(allocateScratch(10000), block);
            releaseScratch(block, 10000);
        }
        EXPECT_EQ(outer.waiting(), 0U);
        releaseScratch(allocateScratch(500), 500);
        EXPECT_EQ(outer.waiting(), 512U);
    }
    releaseScratch(allocateScratch(500), 500);  // no scope: the heap
    EXPECT_EQ(outer.waiting(), 512U);
}

// Blocks of 4 KiB and more start at different places in their pages, on cache-line bounds,
// whichever way they are taken and given back, and every byte of their class is theirs.
TEST(ScratchScope, LargeBlocksStartAtDifferentPlacesInTheirPages) {
    constexpr std::size_t kPage = 4096;
    constexpr std::size_t kLine = 64;
    for (const std::size_t bytes : {std::size_t{4096}, std::size_t{40000}, std::size_t{3} << 20}) {
        SCOPED_TRACE(bytes);
        ScratchStore store;
        std::vector<void*> blocks;
        {
            const ScratchScope scope(&store);
            for (int i = 0; i < 4; ++i) {
                blocks.push_back(allocateScratch(bytes));
            }
        }
        blocks.push_back(allocateScratch(bytes));  // from the heap, no scope open
        std::vector<std::size_t> places;
        for (void* block : blocks) {
            const auto address = reinterpret_cast<std::uintptr_t>(block);
            EXPECT_EQ(address % kLine, 0U);
            places.push_back(address % kPage);
            std::memset(block, 0x5A, detail::scratchClassSize(bytes));
        }
        std::ranges::sort(places);
        EXPECT_EQ(std::ranges::adjacent_find(places), places.end());
        {
            const ScratchScope scope(&store);
            releaseScratch(blocks[4], bytes);  // a heap block into the store
        }
        for (std::size_t i = 0; i < 4; ++i) {
            releaseScratch(blocks[i], bytes);  // store blocks to the heap
        }
    }
}

TEST(ScratchScope, LimbBuffersFromReusedBlocksStartAtZero) {
    ScratchStore store;
    const ScratchScope scope(&store);
    constexpr std::size_t kLimbs = 1000;
    void* dirty = allocateScratch(kLimbs * sizeof(detail::Limb));
    std::memset(dirty, 0xA5, kLimbs * sizeof(detail::Limb));
    releaseScratch(dirty, kLimbs * sizeof(detail::Limb));
    const detail::LimbBuffer buffer(kLimbs);
    EXPECT_EQ(static_cast<const void*>(buffer.data()), dirty);
    for (std::size_t i = 0; i < kLimbs; ++i) {
        ASSERT_EQ(buffer[i], 0U) << i;
    }
}

std::u16string patternDigits(std::size_t n, std::size_t step, std::size_t offset) {
    std::u16string text;
    for (std::size_t i = 0; i < n; ++i) {
        text.push_back(static_cast<char16_t>(u'0' + (i * step + offset) % 10));
    }
    text.front() = u'9';
    return text;
}

// Products (Karatsuba and the transform) and quotients (long and recursive division) computed
// again and again from one store, whose blocks come back dirty from the calls before, agree
// with the same calls on fresh heap blocks.
TEST(ScratchScope, KernelResultsFromOneStoreAgreeWithFreshBlocks) {
    struct Case {
        std::u16string a;
        std::u16string b;
        std::u16string product;
        Division division;
    };
    std::vector<Case> cases;
    for (const std::size_t n : {3000U, 12000U}) {
        Case c{patternDigits(n, 7, 3), patternDigits(n, 3, 1), {}, {}};
        c.product = multiplyMagnitudes(c.a, c.b);
        c.division = divideMagnitudes(c.product + c.a.substr(0, n / 2), c.b);
        cases.push_back(std::move(c));
    }
    ScratchStore store;
    const ScratchScope scope(&store);
    for (int round = 0; round < 2; ++round) {
        for (const Case& c : cases) {
            EXPECT_EQ(multiplyMagnitudes(c.a, c.b), c.product) << c.a.size();
            const Division d = divideMagnitudes(c.product + c.a.substr(0, c.a.size() / 2), c.b);
            EXPECT_EQ(d.quotient, c.division.quotient) << c.a.size();
            EXPECT_EQ(d.remainder, c.division.remainder) << c.a.size();
        }
    }
    EXPECT_GT(store.waiting(), 0U);
}

}  // namespace
}  // namespace kestrum::aserv::kernel
