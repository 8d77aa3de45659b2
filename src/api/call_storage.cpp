#include "call_storage.h"

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

}  // namespace

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
