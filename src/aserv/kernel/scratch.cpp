#include "scratch.h"

#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>

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

// Blocks from this size on start at a chosen place in a 4 KiB page. The kernel's linear passes
// read some blocks while they write others; where a read address and a recent write address
// agree in their low 12 bits, the CPU holds the read back until it has told them apart, and
// long passes over blocks that start at the same place in their pages (as the heap places the
// large blocks it maps: all at the same offset) would meet that at every step. Each new block
// starts kColorStep bytes further on in the page than the one made before it, so the blocks of
// one call start at different places.
constexpr std::size_t kColoredFrom = 4096;
constexpr std::size_t kPage = 4096;
constexpr std::size_t kColorStep = 576;  // nine cache lines: 64 places before one comes back
constexpr std::size_t kHeader = 64;      // holds the address of the allocation

// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables)
std::atomic<std::size_t> colorTurn{0};

void* newBlock(std::size_t size) {
    if (size < kColoredFrom) {
        return ::operator new(size);
    }
    auto* base = static_cast<unsigned char*>(::operator new(size + kHeader + kPage));
    const std::size_t color =
        colorTurn.fetch_add(1, std::memory_order_relaxed) * kColorStep % kPage;
    const std::size_t first = reinterpret_cast<std::uintptr_t>(base + kHeader) % kPage;
    unsigned char* block = base + kHeader + (color + kPage - first) % kPage;
    std::memcpy(block - sizeof base, &base, sizeof base);
    return block;
}

void deleteBlock(void* block, std::size_t size) noexcept {
    if (size < kColoredFrom) {
        ::operator delete(block);
        return;
    }
    unsigned char* base = nullptr;
    std::memcpy(&base, static_cast<unsigned char*>(block) - sizeof base, sizeof base);
    ::operator delete(base);
}

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
    return newBlock(c.size);
}

void ScratchStore::give(void* block, std::size_t bytes) noexcept {
    const ScratchClass c = classOf(bytes);
    if (c.size > kLargestKept) {
        deleteBlock(block, c.size);
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
            deleteBlock(block, sizeOfClass(index));
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
    return newBlock(classOf(bytes).size);
}

void releaseScratch(void* block, std::size_t bytes) noexcept {
    if (block == nullptr) {
        return;
    }
    if (activeStore != nullptr) {
        activeStore->give(block, bytes);
    } else {
        deleteBlock(block, classOf(bytes).size);
    }
}

}  // namespace kestrum::aserv::kernel
