// The text of a sum or difference with a point while its digits are written from the right, in
// place in the caller's result text (whose storage is reused): a sign slot when it is negative,
// the integer slots, then the point and the fraction digits when there is a fraction. The writer
// fills every integer and fraction slot, except that the first integer slot may be left as it
// starts, "0" (the zero before the point of a result below 1); slots that the result does not
// use are zeros in front of the digits it does, and finish() cuts them off in one move. The text
// is not cleared first: what it held before is overwritten.
#pragma once

#include <cstddef>

#include "kernel/kernel.h"
#include "text/text.h"

namespace kestrum::aserv {

class PointResult {
  public:
    PointResult(Text& out, bool negative, std::size_t integerSlots, std::size_t fractionLength)
        : text_(out),
          begin_(negative ? 1 : 0),
          point_(begin_ + integerSlots),
          fractionLength_(fractionLength) {
        text_.resize(begin_ + integerSlots + (fractionLength > 0 ? fractionLength + 1 : 0));
        if (integerSlots > 0) {
            text_[begin_] = kZero;
        }
        if (fractionLength > 0) {
            text_[point_] = kPoint;
        }
    }

    char16_t* integerBegin() { return text_.data() + begin_; }
    // One past the units slot.
    char16_t* integerEnd() { return text_.data() + point_; }
    char16_t* fraction() { return text_.data() + text_.size() - fractionLength_; }

    // The text in the form that placing the point gives: no leading zeros, except one "0" before
    // the point when the integer digits are used up and the tenths are zero (the slot in front of
    // the point is there and holds that zero then); no point when the fraction is all zeros.
    void finish() {
        const TextView integer(integerBegin(), point_ - begin_);
        std::size_t first = point_ - kernel::stripLeadingZeros(integer).size();
        if (fractionLength_ > 0) {
            if (first == point_ && text_[point_ + 1] == kZero) {
                --first;
            }
            if (kernel::significantLength(TextView(fraction(), fractionLength_)) == 0) {
                text_.resize(point_);
            }
        }
        if (begin_ > 0) {
            text_[--first] = kMinus;
        }
        text_.erase(0, first);
    }

  private:
    Text& text_;
    std::size_t begin_;
    std::size_t point_;
    std::size_t fractionLength_;
};

}  // namespace kestrum::aserv
