// The storage a call works in: the texts its result is built in before it is copied out to the
// client, and the store that the kernel's temporaries (limb, transform and division buffers) come
// from. It belongs to no object: a small pool of such storages serves all the calls of the
// process, so that a run of calls costs few allocations besides the returned strings however
// many objects make them. A call borrows a storage for its duration and gives it back when it
// ends, so that a thread that ends leaves nothing behind. A call that finds every storage lent
// (more calls under way at once than the pool holds, counting calls nested in others) works on
// a text of its own and takes its temporaries from the heap. Each storage is bounded: a text
// longer than 64 Ki code units and stored blocks beyond 896 KiB are given back when a call ends,
// so that a storage keeps at most about 1 MiB between calls (a little more when a client's
// operands have needed the other texts of a storage, see textApartFrom). What the pool keeps is
// freed when the program ends or the library is unloaded.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

#include "kernel/scratch.h"

namespace kestrum::api {

// One storage of the pool, on a cache line of its own so that threads working on neighbouring
// storages do not slow each other down.
class alignas(64) CallStorage {
  public:
    // The storage for one call: a storage of the pool when one is free, else a text of its own
    // and the heap.
    class Loan {
      public:
        Loan() noexcept
            : storage_(borrow()), scope_(storage_ != nullptr ? &storage_->scratch_ : nullptr) {}
        ~Loan() {
            if (storage_ != nullptr) {
                storage_->giveBack();
            }
        }
        Loan(const Loan&) = delete;
        Loan& operator=(const Loan&) = delete;
        Loan(Loan&&) = delete;
        Loan& operator=(Loan&&) = delete;

        // The text to build a result in.
        std::u16string& text() noexcept {
            return storage_ != nullptr ? storage_->texts_.front() : own_;
        }

        // The text to build a result in whose digits are written while the digits of `a` and `b`
        // are read, one after the other: the kept text that starts farthest, modulo 4096, from
        // where they start and end (see CallStorage::textApartFrom).
        std::u16string& textApartFrom(std::u16string_view a, std::u16string_view b) {
            return storage_ != nullptr ? storage_->textApartFrom(a, b) : own_;
        }

      private:
        CallStorage* storage_;
        aserv::kernel::ScratchScope scope_;
        std::u16string own_;
    };

  private:
    static constexpr std::size_t kKeptTextUnits = std::size_t{64} << 10;
    static constexpr std::size_t kKeptScratchBytes = std::size_t{896} << 10;

    // Texts to choose from for a result written while operands are read. Loads and stores whose
    // addresses agree in their low 12 bits slow each other down, and where the heap puts the
    // client's operands is the client's affair: of three texts, whichever way the heap placed
    // them, at least one usually lies clear of two operands.
    static constexpr std::size_t kTexts = 3;
    // Bytes of address space, modulo 4096, between the start of a result text and the starts and
    // ends of the operands that leave its stores and their loads clear of each other.
    static constexpr std::size_t kClearance = 512;

    // A free storage of the pool, now lent to the caller, or null when all are lent.
    static CallStorage* borrow() noexcept;

    bool tryLend() noexcept { return !lent_.test_and_set(std::memory_order_acquire); }

    // Throws std::bad_alloc.
    std::u16string& textApartFrom(std::u16string_view a, std::u16string_view b) {
        // A short pass is over before near addresses cost much: the warm first text.
        if (std::max(a.size(), b.size()) * sizeof(char16_t) < kClearance) {
            return texts_.front();
        }
        return clearText(a, b);
    }

    // The first text clear of long operands, or the one nearest to clear.
    std::u16string& clearText(std::u16string_view a, std::u16string_view b);

    void giveBack() noexcept {
        for (std::u16string& text : texts_) {
            if (text.capacity() > kKeptTextUnits) {
                std::u16string().swap(text);
            }
        }
        scratch_.trim(kKeptScratchBytes);
        lent_.clear(std::memory_order_release);
    }

    std::array<std::u16string, kTexts> texts_;
    aserv::kernel::ScratchStore scratch_;
    std::atomic_flag lent_;
};

}  // namespace kestrum::api
