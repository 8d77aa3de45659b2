// Stopping an evaluation from outside: Ctrl-C at the calculator's prompt. A signal handler may
// call requestInterrupt(); the evaluation under way throws CalcError 18 at its next step (before
// each operation of the formula), and the request is used up.
#pragma once

namespace kestrum::calc {

// Async-signal-safe.
void requestInterrupt() noexcept;

// Whether a request was pending; clears it.
bool takeInterrupt() noexcept;

// Throws CalcError(18, 0, "interrupted") when a request is pending, and clears it.
void stopIfInterrupted();

}  // namespace kestrum::calc
