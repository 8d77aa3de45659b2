#include "call_storage.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace kestrum::api {
namespace {

// Enough for the threads that a process has inside calls at the same time; when more are, the
// others work on the heap.
constexpr std::uint32_t kPoolSize = 8;

// The pool, destroyed (its kept blocks freed) when the program ends or the library is unloaded.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables)
std::array<CallStorage, kPoolSize> pool;

// Where the search for a free storage starts on each thread: handed out in turn on a thread's
// first call, so that a thread keeps coming back to the storage it has warmed and threads that
// call at the same time start on different storages.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables)
std::atomic<std::uint32_t> nextHome{0};
constexpr std::uint32_t kNoHome = kPoolSize;
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables)
thread_local std::uint32_t home = kNoHome;

constexpr std::uintptr_t kPage = 4096;

// How far apart `p` and `q` lie modulo 4096, whichever comes first.
std::uintptr_t pageDistance(const void* p, const void* q) noexcept {
    const std::uintptr_t ahead =
        (reinterpret_cast<std::uintptr_t>(p) - reinterpret_cast<std::uintptr_t>(q)) % kPage;
    return std::min(ahead, kPage - ahead);
}

// How close, modulo 4096, a result written from `start` comes to the operands: from the start of
// each, where the digits of a result and an operand of the same length meet, and from the end of
// each, where they meet when the result is right-aligned with the longer operand.
std::uintptr_t closestOperand(const char16_t* start, std::u16string_view a,
                              std::u16string_view b) noexcept {
    const char16_t* end = start + std::max(a.size(), b.size());
    return std::min({pageDistance(start, a.data()), pageDistance(start, b.data()),
                     pageDistance(end, a.data() + a.size()),
                     pageDistance(end, b.data() + b.size())});
}

}  // namespace

std::u16string& CallStorage::clearText(std::u16string_view a, std::u16string_view b) {
    const std::size_t units = std::max(a.size(), b.size());
    // The first text clear of the operands, so that the texts after it are made only when the
    // operands come near it; failing that, the one with the most room. A text is grown before
    // it is judged, as the result will need it: grown one after the other, with a part of a page
    // beyond what the result needs, the texts start at different places in their pages.
    constexpr std::size_t kPageUnits = kPage / sizeof(char16_t);
    constexpr std::size_t kStaggerUnits = kPageUnits / 3;
    const std::size_t capacity =
        (units + 2 + kPageUnits - 1) / kPageUnits * kPageUnits + kStaggerUnits;
    std::u16string* best = &texts_.front();
    std::uintptr_t bestDistance = 0;
    for (std::u16string& text : texts_) {
        if (text.capacity() < units + 2) {
            text.reserve(capacity);
        }
        const std::uintptr_t distance = closestOperand(text.data(), a, b);
        if (distance >= kClearance) {
            return text;
        }
        if (distance > bestDistance) {
            best = &text;
            bestDistance = distance;
        }
    }
    return *best;
}

CallStorage* CallStorage::borrow() noexcept {
    if (home == kNoHome) {
        home = nextHome.fetch_add(1, std::memory_order_relaxed) % kPoolSize;
    }
    for (std::uint32_t step = 0; step < kPoolSize; ++step) {
        CallStorage& storage = pool[(home + step) % kPoolSize];
        if (storage.tryLend()) {
            return &storage;
        }
    }
    return nullptr;
}

}  // namespace kestrum::api
