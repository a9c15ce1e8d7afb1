#pragma once

// An interface pointer of the Component Object Model that releases what it holds when it goes.
// Windows only.

namespace ui {

template <class Interface>
class ComPointer {
  public:
    ComPointer() = default;
    ~ComPointer() {
        if (pointer_ != nullptr) {
            pointer_->Release();
        }
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    // Where a creating call writes the pointer; the pointer must be empty.
    Interface** put() { return &pointer_; }
    void** putVoid() { return reinterpret_cast<void**>(&pointer_); }

  private:
    Interface* pointer_ = nullptr;
};

}  // namespace ui
