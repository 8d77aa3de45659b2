// The eight operations of class Arithm by name, with their results written as UTF-8 text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "arithm.h"

namespace kestrum::cli {

// Every operation name, as the usage lines list them.
inline constexpr std::string_view kOperationNames = "iadd isub imult idiv radd rsub rmult icomp";

class Operation {
  public:
    // The operation called `name` (lower case, as listed), or nothing.
    static std::optional<Operation> find(std::string_view name);

    // Runs the operation on `arithm` with the operands handed over as automation strings. On
    // success appends the result text to `out`: one value, or for idiv the quotient, remainder
    // and division-by-zero flag with `separator` between them. On failure appends nothing.
    // Throws std::bad_alloc when memory runs out.
    [[nodiscard]] api::ResultCode run(const api::Arithm& arithm, std::u16string_view a1,
                                      std::u16string_view a2, char separator,
                                      std::string& out) const;

  private:
    explicit Operation(std::size_t index) : index_(index) {}

    std::size_t index_;
};

// "error N" for run-time error N, otherwise "error 0xXXXXXXXX" (out of memory).
std::string failureLine(api::ResultCode code);

// "error N (0xXXXXXXXX): description" for a failure result code (without the number when the
// code carries no run-time error number).
std::string describeFailure(api::ResultCode code);

}  // namespace kestrum::cli
