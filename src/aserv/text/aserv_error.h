// The run-time errors raised by the arithmetic procedures.
#pragma once

#include <exception>

namespace kestrum::aserv {

enum ErrorNumber : int {
    kInvalidArgument = 5,          // a string operation got a negative count or a bad code
    kOverflow = 6,                 // a 16-bit working value left -32768..32767
    kNonDigitInAddition = 102,     // a non-digit in the digit loop of addition (and multiplication)
    kNonDigitInSubtraction = 103,  // a non-digit in the digit loop of subtraction
};

// An error raised by a procedure. It carries only its number; every procedure on the way
// releases its temporaries (RAII) and lets it pass unchanged.
class AServError : public std::exception {
  public:
    explicit AServError(int number) noexcept : number_(number) {}
    [[nodiscard]] int number() const noexcept { return number_; }
    [[nodiscard]] const char* what() const noexcept override { return "arithmetic run-time error"; }

  private:
    int number_;
};

[[noreturn]] inline void raise(int number) {
    throw AServError(number);
}

}  // namespace kestrum::aserv
