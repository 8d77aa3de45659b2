// A client's string variable in the tests: owns its automation string as a script variable does.
#pragma once

#include <string>
#include <string_view>

#include "automation_string.h"

namespace kestrum::api::testing_support {

class Variable {
  public:
    Variable() = default;
    explicit Variable(std::u16string_view text) : value_(autoStringAlloc(text)) {}
    Variable(const Variable&) = delete;
    Variable& operator=(const Variable&) = delete;
    Variable(Variable&&) = delete;
    Variable& operator=(Variable&&) = delete;
    ~Variable() { autoStringFree(value_); }

    AutoString* address() { return &value_; }
    [[nodiscard]] AutoString raw() const { return value_; }
    [[nodiscard]] std::u16string text() const { return std::u16string(autoStringView(value_)); }

  private:
    AutoString value_ = nullptr;
};

}  // namespace kestrum::api::testing_support
