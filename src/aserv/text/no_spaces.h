// Blank removal, the first step of every operation.
#pragma once

#include "text/text.h"

namespace kestrum::aserv {

// A copy of `source` without its blanks (U+0020); every other character stays, in order.
// Raises error 6 for a source of 32767 characters or more, blanks included.
Text noSpaces(TextView source);

// Whether the text holds a blank.
bool hasBlank(TextView text);

// The outcome of noSpaces without the copy when there is nothing to remove: a view of the
// source itself when it has no blank, else of an owned blank-free copy. The source must outlive
// the object. Same length limit as noSpaces.
class BlankFreeText {
  public:
    explicit BlankFreeText(TextView source);
    BlankFreeText(const BlankFreeText&) = delete;
    BlankFreeText& operator=(const BlankFreeText&) = delete;
    BlankFreeText(BlankFreeText&&) = delete;
    BlankFreeText& operator=(BlankFreeText&&) = delete;
    ~BlankFreeText() = default;

    [[nodiscard]] TextView view() const noexcept { return view_; }

  private:
    Text storage_;
    TextView view_;
};

}  // namespace kestrum::aserv
