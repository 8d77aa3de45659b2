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

// Pad sizes that move the blocks that follow them by different parts of a 4 KiB page.
inline constexpr std::array<HeapLayout, 6> kHeapLayouts{{
    {"no pads", {0, 0, 0, 0}, false},
    {"pads 1, 2, 3, 1 KiB", {1024, 2048, 3072, 1024}, false},
    {"pads 3, 1, 2, 0.5 KiB", {3072, 1024, 2048, 512}, false},
    {"pads 2, 3, 1, 2.5 KiB", {2048, 3072, 1024, 2560}, false},
    {"pads 0.5, 0.5, 3.5, 3.5 KiB", {512, 512, 3584, 3584}, false},
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
