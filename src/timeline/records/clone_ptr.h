#pragma once
// An owning pointer whose copies are deep: copying a ClonePtr clones the
// object it points to (through T::Clone()), so two copies never share it.

#include <memory>
#include <utility>

namespace sprocket {

template <typename T>
class ClonePtr {
public:
  ClonePtr() = default;
  ClonePtr(std::nullptr_t) {}
  explicit ClonePtr(std::unique_ptr<T> owned) : ptr_(std::move(owned)) {}
  ClonePtr(const ClonePtr& other) : ptr_(other.ptr_ ? other.ptr_->Clone() : nullptr) {}
  ClonePtr(ClonePtr&&) noexcept = default;
  ClonePtr& operator=(const ClonePtr& other) {
    if (this != &other) ptr_ = other.ptr_ ? other.ptr_->Clone() : nullptr;
    return *this;
  }
  ClonePtr& operator=(ClonePtr&&) noexcept = default;
  ClonePtr& operator=(std::unique_ptr<T> owned) {
    ptr_ = std::move(owned);
    return *this;
  }
  ClonePtr& operator=(std::nullptr_t) {
    ptr_.reset();
    return *this;
  }

  T* get() const { return ptr_.get(); }
  T* operator->() const { return ptr_.get(); }
  T& operator*() const { return *ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  void reset() { ptr_.reset(); }
  std::unique_ptr<T> release() { return std::move(ptr_); }

private:
  std::unique_ptr<T> ptr_;
};

}  // namespace sprocket
