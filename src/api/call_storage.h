// What an object keeps from call to call for the work of its calls: the text its results are
// built in before they are copied out to the client, and the store that the kernel's temporaries
// (limb, transform and division buffers) come from. So a run of calls costs few allocations
// besides the returned strings. Both are bounded: a text longer than 64 Ki code units and stored
// blocks beyond 896 KiB are given back when a call ends, so that an object keeps at most about
// 1 MiB. A call that finds the storage lent out (a second thread on the same object) works on a
// text of its own and takes its temporaries from the heap.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

#include "kernel/scratch.h"

namespace kestrum::api {

class CallStorage {
  public:
    // The storage for one call, from the object when it is free.
    class Loan {
      public:
        explicit Loan(CallStorage& owner) noexcept
            : owner_(owner.lent_.test_and_set(std::memory_order_acquire) ? nullptr : &owner),
              scope_(owner_ != nullptr ? &owner_->scratch_ : nullptr) {}
        ~Loan() {
            if (owner_ != nullptr) {
                owner_->release();
            }
        }
        Loan(const Loan&) = delete;
        Loan& operator=(const Loan&) = delete;
        Loan(Loan&&) = delete;
        Loan& operator=(Loan&&) = delete;

        std::u16string& text() noexcept { return owner_ != nullptr ? owner_->text_ : own_; }

      private:
        CallStorage* owner_;
        aserv::kernel::ScratchScope scope_;
        std::u16string own_;
    };

  private:
    static constexpr std::size_t kKeptTextUnits = std::size_t{64} << 10;
    static constexpr std::size_t kKeptScratchBytes = std::size_t{896} << 10;

    void release() noexcept {
        if (text_.capacity() > kKeptTextUnits) {
            std::u16string().swap(text_);
        }
        scratch_.trim(kKeptScratchBytes);
        lent_.clear(std::memory_order_release);
    }

    std::u16string text_;
    aserv::kernel::ScratchStore scratch_;
    std::atomic_flag lent_;
};

}  // namespace kestrum::api
