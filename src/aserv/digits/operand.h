// An operand as the entry points of the integer operations read it: blank-free, sign split, and
// whether its magnitude is made of digits only.
#pragma once

#include "text/number_text.h"
#include "text/text.h"

namespace kestrum::aserv {

// Reading an operand costs one pass when it is a plain number (a sign split off, then digits):
// such a text holds no blank, so it is neither scanned again nor copied. Other texts lose their
// blanks into an owned copy. The source must outlive the object. Raises error 6 for 32767
// characters or more, like blank removal.
class Operand {
  public:
    explicit Operand(TextView source);
    Operand(const Operand&) = delete;
    Operand& operator=(const Operand&) = delete;
    Operand(Operand&&) = delete;
    Operand& operator=(Operand&&) = delete;
    ~Operand() = default;

    // The text without blanks.
    [[nodiscard]] TextView text() const noexcept { return text_; }
    // The sign split of that text.
    [[nodiscard]] const SignedText& split() const noexcept { return split_; }
    // Whether the magnitude is digits only (the empty magnitude included).
    [[nodiscard]] bool digits() const noexcept { return digits_; }

  private:
    Text storage_;
    TextView text_;
    SignedText split_;
    bool digits_ = false;
};

}  // namespace kestrum::aserv
