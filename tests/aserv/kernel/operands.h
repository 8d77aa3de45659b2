// Operand texts for the kernel tests: random digits and the shapes that stress carries,
// borrows and quotient estimates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

namespace kestrum::aserv::kernel::testing {

enum class Shape {
    Random,       // uniform digits, nonzero first digit
    Nines,        // 99...9
    PowerOfTen,   // 10...0
    SparseNines,  // long runs of 9s and 0s
    TopHeavy,     // 9s followed by random digits
};

inline constexpr Shape kShapes[] = {Shape::Random, Shape::Nines, Shape::PowerOfTen,
                                    Shape::SparseNines, Shape::TopHeavy};

class OperandMaker {
  public:
    explicit OperandMaker(std::uint32_t seed) : rng_(seed) {}

    // A canonical text of exactly `length` digits (length >= 1).
    std::u16string make(std::size_t length, Shape shape);

    // A canonical text of the given length in a random shape.
    std::u16string any(std::size_t length);

    std::size_t below(std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(rng_);
    }

  private:
    char16_t digit(int low, int high) {
        return static_cast<char16_t>(u'0' + std::uniform_int_distribution<int>(low, high)(rng_));
    }

    std::mt19937 rng_;
};

}  // namespace kestrum::aserv::kernel::testing
