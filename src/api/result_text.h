// The text that an object's calls build their results in before the results are copied out to
// the client. Its storage is kept from call to call, so a short result costs no allocation
// besides the returned string; after a long result the storage is given back. A call that finds
// the text lent out (a second thread on the same object) works on a text of its own.
#pragma once

#include <atomic>
#include <string>

namespace kestrum::api {

class ResultText {
  public:
    class Loan {
      public:
        explicit Loan(ResultText& owner) noexcept
            : owner_(owner.lent_.test_and_set(std::memory_order_acquire) ? nullptr : &owner) {}
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
        ResultText* owner_;
        std::u16string own_;
    };

  private:
    // Longest storage kept between calls, in code units.
    static constexpr std::size_t kKeptCapacity = 1024;

    void release() noexcept {
        if (text_.capacity() > kKeptCapacity) {
            std::u16string().swap(text_);
        }
        lent_.clear(std::memory_order_release);
    }

    std::u16string text_;
    std::atomic_flag lent_;
};

}  // namespace kestrum::api
