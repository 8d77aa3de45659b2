#include "scratch.h"

#include <bit>

namespace kestrum::aserv::kernel {
namespace {

// The smallest class; class i holds (4 + i % 4) * 2^(i / 4 + 6) bytes.
constexpr std::size_t kSmallestClass = 256;
constexpr std::size_t kSmallestOctave = 8;  // log2 of kSmallestClass

constexpr std::size_t sizeOfClass(std::size_t index) {
    return (4 + index % 4) << (index / 4 + kSmallestOctave - 2);
}

struct ScratchClass {
    std::size_t index;
    std::size_t size;
};

ScratchClass classOf(std::size_t bytes) noexcept {
    if (bytes <= kSmallestClass) {
        return {0, kSmallestClass};
    }
    // With 2^e <= bytes - 1 < 2^(e + 1) and t the top three bits of bytes - 1 (4 to 7), the
    // smallest class of that octave that holds bytes is (t + 1) * 2^(e - 2).
    const std::size_t below = bytes - 1;
    const auto octave = static_cast<std::size_t>(std::bit_width(below) - 1);
    const std::size_t top = below >> (octave - 2);
    const std::size_t index = 4 * (octave - kSmallestOctave) + top - 3;
    return {index, sizeOfClass(index)};
}

// The store of the scope open on this thread: set and restored only by ScratchScope.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables)
thread_local ScratchStore* activeStore = nullptr;

}  // namespace

namespace detail {

std::size_t scratchClassSize(std::size_t bytes) noexcept {
    return classOf(bytes).size;
}

}  // namespace detail

void* ScratchStore::take(std::size_t bytes) {
    const ScratchClass c = classOf(bytes);
    if (c.size <= kLargestKept && free_[c.index] != nullptr) {
        FreeBlock* block = free_[c.index];
        free_[c.index] = block->next;
        waiting_ -= c.size;
        return block;
    }
    return ::operator new(c.size);
}

void ScratchStore::give(void* block, std::size_t bytes) noexcept {
    const ScratchClass c = classOf(bytes);
    if (c.size > kLargestKept) {
        ::operator delete(block);
        return;
    }
    free_[c.index] = ::new (block) FreeBlock{free_[c.index]};
    waiting_ += c.size;
}

void ScratchStore::trim(std::size_t bytes) noexcept {
    for (std::size_t index = kClasses; index-- > 0 && waiting_ > bytes;) {
        while (free_[index] != nullptr && waiting_ > bytes) {
            FreeBlock* block = free_[index];
            free_[index] = block->next;
            waiting_ -= sizeOfClass(index);
            ::operator delete(block);
        }
    }
}

ScratchScope::ScratchScope(ScratchStore* store) noexcept : previous_(activeStore) {
    activeStore = store;
}

ScratchScope::~ScratchScope() {
    activeStore = previous_;
}

void* allocateScratch(std::size_t bytes) {
    if (activeStore != nullptr) {
        return activeStore->take(bytes);
    }
    return ::operator new(classOf(bytes).size);
}

void releaseScratch(void* block, std::size_t bytes) noexcept {
    if (block == nullptr) {
        return;
    }
    if (activeStore != nullptr) {
        activeStore->give(block, bytes);
    } else {
        ::operator delete(block);
    }
}

}  // namespace kestrum::aserv::kernel
