// Storage for the kernel's temporaries (limb buffers, transform buffers, division work) that a
// caller keeps from call to call, so that a run of long calls does not ask the heap for the same
// blocks again and again.
//
// Blocks come in size classes, four to each doubling, and a freed block waits in its class for
// the next request of that class; blocks may be freed in any order. While a ScratchScope is open
// on a thread, the temporaries of that thread come from its store; without one they come from
// the heap (rounded to the same classes, so that either source can take back a block of the
// other). Blocks of 4 KiB and more start at a different place in their page from the blocks
// made just before them, so that passes that read one block while writing another do not meet
// addresses equal modulo 4096 at every step. The store itself is not thread-safe: a store
// serves one scope at a time.
#pragma once

#include <array>
#include <cstddef>
#include <new>

namespace kestrum::aserv::kernel {

class ScratchStore {
  public:
    ScratchStore() = default;
    ~ScratchStore() { trim(0); }
    ScratchStore(const ScratchStore&) = delete;
    ScratchStore& operator=(const ScratchStore&) = delete;
    ScratchStore(ScratchStore&&) = delete;
    ScratchStore& operator=(ScratchStore&&) = delete;

    // A block of at least `bytes` bytes (its class size), from the free blocks when one of the
    // class waits there. Throws std::bad_alloc.
    void* take(std::size_t bytes);

    // Returns a block from take() or allocateScratch() of the same request size.
    void give(void* block, std::size_t bytes) noexcept;

    // Frees waiting blocks, largest classes first, until at most `bytes` bytes wait.
    void trim(std::size_t bytes) noexcept;

    // Bytes held in waiting blocks.
    [[nodiscard]] std::size_t waiting() const noexcept { return waiting_; }

  private:
    struct FreeBlock {
        FreeBlock* next;
    };

    // Classes up to this size wait in the store; larger blocks go back to the heap at once.
    static constexpr std::size_t kLargestKept = std::size_t{1} << 20;
    static constexpr std::size_t kClasses = 64;

    std::array<FreeBlock*, kClasses> free_{};
    std::size_t waiting_ = 0;
};

// While it lives, the scratch of this thread comes from `store` (the scope that was open before
// comes back when it ends). A null store means the heap.
class ScratchScope {
  public:
    explicit ScratchScope(ScratchStore* store) noexcept;
    ~ScratchScope();
    ScratchScope(const ScratchScope&) = delete;
    ScratchScope& operator=(const ScratchScope&) = delete;
    ScratchScope(ScratchScope&&) = delete;
    ScratchScope& operator=(ScratchScope&&) = delete;

  private:
    ScratchStore* previous_;
};

namespace detail {

// Size of the class that a request of `bytes` bytes falls in.
std::size_t scratchClassSize(std::size_t bytes) noexcept;

}  // namespace detail

// A scratch block of at least `bytes` bytes from the open scope's store, or from the heap.
void* allocateScratch(std::size_t bytes);

// Gives back a block from allocateScratch() with the same `bytes`.
void releaseScratch(void* block, std::size_t bytes) noexcept;

// A standard allocator over the scratch, for containers of trivial values.
template <class T>
struct ScratchAllocator {
    using value_type = T;

    ScratchAllocator() = default;
    template <class U>
    ScratchAllocator(const ScratchAllocator<U>& /*other*/) noexcept {}  // rebinding converts

    T* allocate(std::size_t n) { return static_cast<T*>(allocateScratch(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { releaseScratch(p, n * sizeof(T)); }

    friend bool operator==(const ScratchAllocator& /*a*/, const ScratchAllocator& /*b*/) {
        return true;
    }
};

}  // namespace kestrum::aserv::kernel
