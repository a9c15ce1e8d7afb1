#pragma once

// A kernel handle that closes itself. Windows only.

#include <windows.h>

namespace scan {

class UniqueHandle {
  public:
    explicit UniqueHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return handle_; }
    // Some calls fail with INVALID_HANDLE_VALUE, others with null.
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    // Hands the handle over without closing it.
    HANDLE release() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }
    HANDLE* put() {
        reset();
        return &handle_;
    }

    // Closes now (and takes `handle` instead); answers whether the close succeeded.
    bool reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        const HANDLE old = handle_;
        handle_ = handle;
        return old == INVALID_HANDLE_VALUE || old == nullptr || CloseHandle(old) != 0;
    }

  private:
    HANDLE handle_;
};

}  // namespace scan
