#include "unit_copy.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace kestrum::api {
namespace {

constexpr std::uintptr_t kPageBytes = 4096;

// How far above the source the destination may start in its page for a forward copy to wait on
// its stores; CPUs and copy routines differ, and glibc's large copies meet it below 32 bytes.
constexpr std::uintptr_t kNearBytes = 256;

// Units copied at a time from the end: each block is read whole before it is written.
constexpr std::size_t kBlockUnits = 128;

}  // namespace

void copyUnits(char16_t* to, const char16_t* from, std::size_t count) noexcept {
    const std::uintptr_t gap =
        (reinterpret_cast<std::uintptr_t>(to) - reinterpret_cast<std::uintptr_t>(from)) %
        kPageBytes;
    // Forward, each load is ahead of every store still in flight unless the destination starts
    // just above the source.
    if (gap == 0 || gap >= kNearBytes || count < 2 * kBlockUnits) {
        if (count != 0) {
            std::memcpy(to, from, count * sizeof(char16_t));
        }
        return;
    }
    std::size_t left = count;
    std::array<char16_t, kBlockUnits> block;  // NOLINT: written before it is read
    while (left >= kBlockUnits) {
        left -= kBlockUnits;
        std::memcpy(block.data(), from + left, sizeof(block));
        std::memcpy(to + left, block.data(), sizeof(block));
    }
    std::memcpy(to, from, left * sizeof(char16_t));
}

}  // namespace kestrum::api
