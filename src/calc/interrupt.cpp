#include "interrupt.h"

#include <atomic>

#include "calculator.h"

namespace kestrum::calc {

namespace {

std::atomic<bool> interruptRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler sets the flag");

}  // namespace

void requestInterrupt() noexcept {
    interruptRequested.store(true);
}

bool takeInterrupt() noexcept {
    return interruptRequested.exchange(false);
}

void stopIfInterrupted() {
    if (takeInterrupt()) {
        throw CalcError(18, 0, "interrupted");
    }
}

}  // namespace kestrum::calc
