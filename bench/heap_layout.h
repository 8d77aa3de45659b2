// The heap layouts the benchmark times every case in. Where the heap puts the operands and the
// storage a contender writes decides how many of its loads and stores agree in the low 12 bits of
// their addresses, which the CPU then cannot tell apart at once; a client gets whatever layout its
// process gives it. A layout here is a set of blocks of chosen sizes allocated between the
// allocations of one case (before the contender's kept storage, before each operand and before
// the first call, which grows the storage), or the heap as a large multiplication elsewhere in
// the process leaves it.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

namespace bench {

struct HeapLayout {
    const char* name;
    // Bytes allocated before the contender's storage, before a, before b and before the first call.
    std::array<std::size_t, 4> pads;
    // Whether a 16383 by 16383 digit multiplication ran before, on an object that stays alive.
    bool afterMultiplication;
};

// Each pad is 72 KiB (more than the heap's free blocks of the same run hold, so that it comes
// from the top of the heap and the next block lies after it) plus a part of a 4 KiB page that
// moves the blocks that follow it.
inline constexpr std::size_t kPadBase = std::size_t{72} << 10;

inline constexpr std::array<HeapLayout, 6> kHeapLayouts{{
    {"no pads", {0, 0, 0, 0}, false},
    {"pads +1, +2, +3, +1 KiB",
     {kPadBase + 1024, kPadBase + 2048, kPadBase + 3072, kPadBase + 1024},
     false},
    {"pads +3, +1, +2, +0.5 KiB",
     {kPadBase + 3072, kPadBase + 1024, kPadBase + 2048, kPadBase + 512},
     false},
    {"pads +2, +3, +1, +2.5 KiB",
     {kPadBase + 2048, kPadBase + 3072, kPadBase + 1024, kPadBase + 2560},
     false},
    {"pads +0.5, +0.25, +3.5, +3.75 KiB",
     {kPadBase + 512, kPadBase + 256, kPadBase + 3584, kPadBase + 3840},
     false},
    {"after a large product", {0, 0, 0, 0}, true},
}};

// Allocates a layout's pads one after the other and keeps them until it is destroyed.
class LayoutPads {
  public:
    explicit LayoutPads(const HeapLayout& layout) : layout_(layout) {}

    // Allocates the next pad of the layout (nothing once all four are out).
    void next() {
        if (count_ < layout_.pads.size()) {
            const std::size_t bytes = layout_.pads[count_++];
            if (bytes != 0) {
                pads_.push_back(std::make_unique<char[]>(bytes));
            }
        }
    }

  private:
    const HeapLayout& layout_;
    std::size_t count_ = 0;
    std::vector<std::unique_ptr<char[]>> pads_;
};

}  // namespace bench
