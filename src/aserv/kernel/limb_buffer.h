// Zero-initialised limb storage that stays on the stack for short operands.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>

#include "limb.h"

namespace kestrum::aserv::kernel::detail {

class LimbBuffer {
  public:
    explicit LimbBuffer(std::size_t size) : size_(size) {
        if (size <= kInline) {
            data_ = inline_.data();
            std::fill(data_, data_ + size, Limb{0});
        } else {
            heap_ = std::make_unique<Limb[]>(size);
            data_ = heap_.get();
        }
    }
    LimbBuffer(const LimbBuffer&) = delete;
    LimbBuffer& operator=(const LimbBuffer&) = delete;

    Limb* data() { return data_; }
    const Limb* data() const { return data_; }
    std::size_t size() const { return size_; }
    Limb& operator[](std::size_t i) { return data_[i]; }
    Limb operator[](std::size_t i) const { return data_[i]; }

  private:
    static constexpr std::size_t kInline = 24;
    std::array<Limb, kInline> inline_;  // NOLINT: only the used part is cleared
    std::unique_ptr<Limb[]> heap_;
    Limb* data_ = nullptr;
    std::size_t size_;
};

}  // namespace kestrum::aserv::kernel::detail
