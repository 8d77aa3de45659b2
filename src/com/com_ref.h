// ComRef: owns one reference on a COM interface and releases it when it goes out of scope.
#pragma once

#include <windows.h>

#include <utility>

namespace kestrum::com {

template <typename Interface>
class ComRef {
  public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComRef& operator=(ComRef&& other) noexcept {
        std::swap(pointer_, other.pointer_);
        return *this;
    }
    ~ComRef() { reset(); }

    Interface* get() const noexcept { return pointer_; }
    Interface* operator->() const noexcept { return pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }

    // The address to pass as an out parameter; releases what was held before.
    Interface** put() noexcept {
        reset();
        return &pointer_;
    }

    // Hands the reference to the caller.
    Interface* detach() noexcept { return std::exchange(pointer_, nullptr); }

    void reset() noexcept {
        if (pointer_ != nullptr) {
            std::exchange(pointer_, nullptr)->Release();
        }
    }

  private:
    Interface* pointer_ = nullptr;
};

}  // namespace kestrum::com
