// Splitting a number text at its decimal point, shared by the operations on numbers with a point.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>

#include "text/text.h"
#include "text/text_ops.h"

namespace kestrum::aserv {

// An operand split at its first ".": the integer part keeps any sign at its front; the
// fraction part is never empty ("0" where the text has no fraction digits). Further "."
// characters stay in the fraction part.
struct PointSplit {
    TextView integerPart;
    TextView fractionPart;
};

// Splits a text that is not a lone ".".
inline PointSplit splitAtPoint(TextView text) {
    const long position = pointPosition(text);
    const auto length = static_cast<long>(text.size());
    if (position == 0) {
        return {text, u"0"};
    }
    if (position == 1) {
        return {u"0", lastChars(text, length - 1)};
    }
    if (position == length) {
        return {firstChars(text, length - 1), u"0"};
    }
    return {firstChars(text, position - 1), lastChars(text, length - position)};
}

// An operand scaled to an integer text: its integer part, its fraction part, then zeros up to
// `fractionLength` fraction digits. Short texts stay in the object, so the common small
// operation allocates nothing for them. Not copyable: view() points into the object.
class ScaledText {
  public:
    ScaledText(const PointSplit& parts, std::size_t fractionLength) {
        const std::size_t size = parts.integerPart.size() + fractionLength;
        char16_t* out = nullptr;
        if (size <= local_.size()) {
            out = local_.data();
        } else {
            heap_.resize(size);
            out = heap_.data();
        }
        const TextView view(out, size);
        out = std::copy(parts.integerPart.begin(), parts.integerPart.end(), out);
        out = std::copy(parts.fractionPart.begin(), parts.fractionPart.end(), out);
        std::fill(out, out + (fractionLength - parts.fractionPart.size()), kZero);
        view_ = view;
    }
    ScaledText(const ScaledText&) = delete;
    ScaledText& operator=(const ScaledText&) = delete;
    ScaledText(ScaledText&&) = delete;
    ScaledText& operator=(ScaledText&&) = delete;
    ~ScaledText() = default;

    [[nodiscard]] TextView view() const noexcept { return view_; }

  private:
    std::array<char16_t, 64> local_;  // NOLINT: written before it is read
    Text heap_;
    TextView view_;
};

}  // namespace kestrum::aserv
