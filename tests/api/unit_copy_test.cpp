// The copy into new automation strings, over destinations at every kind of distance from the
// source within a page (where it copies forwards and where backwards) and lengths around its
// blocks, with guard units on both sides of the destination.
#include "unit_copy.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrum::api {
namespace {

TEST(UnitCopy, EveryDistanceAndLengthCopiesExactlyTheUnits) {
    constexpr std::size_t kPageUnits = 2048;
    constexpr std::size_t kGuard = 8;
    constexpr std::size_t kLongest = 32766;
    // Distances in code units from the source's offset in its page to the destination's.
    const std::size_t distances[] = {0, 1, 2, 31, 64, 1000, 1023, 1024, 1025, 2000, 2047};
    const std::size_t lengths[] = {0, 1, 127, 128, 129, 255, 256, 257, 1000, 4097, kLongest};

    std::vector<char16_t> source(kLongest + kPageUnits);
    for (std::size_t i = 0; i < source.size(); ++i) {
        source[i] = static_cast<char16_t>(u'0' + i * 7919 % 10 + i / 10 % 3 * 10);
    }
    std::vector<char16_t> space(kLongest + 3 * kPageUnits);
    for (const std::size_t distance : distances) {
        for (const std::size_t length : lengths) {
            SCOPED_TRACE("distance " + std::to_string(distance) + ", length " +
                         std::to_string(length));
            std::fill(space.begin(), space.end(), u'#');
            const char16_t* from = source.data() + 5;
            char16_t* to = space.data() + kPageUnits;
            while ((reinterpret_cast<std::uintptr_t>(to) - reinterpret_cast<std::uintptr_t>(from)) %
                       (2 * kPageUnits) !=
                   2 * distance) {
                ++to;
            }
            copyUnits(to, from, length);
            EXPECT_EQ(std::u16string(to, length), std::u16string(from, length));
            EXPECT_EQ(std::u16string(to - kGuard, kGuard), std::u16string(kGuard, u'#'));
            EXPECT_EQ(std::u16string(to + length, kGuard), std::u16string(kGuard, u'#'));
        }
    }
}

}  // namespace
}  // namespace kestrum::api
