// Zero-initialised limb storage that stays on the stack for short operands and otherwise comes
// from the scratch (the caller's kept store while a scope is open, else the heap).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

#include "limb.h"
#include "scratch.h"

namespace kestrum::aserv::kernel::detail {

// A limb vector whose storage comes from the scratch.
using LimbVector = std::vector<Limb, ScratchAllocator<Limb>>;

class LimbBuffer {
  public:
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-member-init): only the used part is cleared
    explicit LimbBuffer(std::size_t size) : size_(size) {
        if (size <= kInline) {
            data_ = inline_.data();
            std::fill(data_, data_ + size, Limb{0});
        } else {
            heap_.assign(size, Limb{0});
            data_ = heap_.data();
        }
    }
    LimbBuffer(const LimbBuffer&) = delete;
    LimbBuffer& operator=(const LimbBuffer&) = delete;
    LimbBuffer(LimbBuffer&&) = delete;
    LimbBuffer& operator=(LimbBuffer&&) = delete;
    ~LimbBuffer() = default;

    [[nodiscard]] Limb* data() { return data_; }
    [[nodiscard]] const Limb* data() const { return data_; }
    [[nodiscard]] std::size_t size() const { return size_; }
    Limb& operator[](std::size_t i) { return data_[i]; }
    Limb operator[](std::size_t i) const { return data_[i]; }

  private:
    static constexpr std::size_t kInline = 24;
    std::array<Limb, kInline> inline_;  // NOLINT: only the used part is cleared
    LimbVector heap_;
    Limb* data_ = nullptr;
    std::size_t size_;
};

}  // namespace kestrum::aserv::kernel::detail
