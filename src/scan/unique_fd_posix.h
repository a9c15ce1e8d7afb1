#pragma once

// A file descriptor that closes itself. POSIX only.

#include <unistd.h>

namespace scan {

class UniqueFd {
  public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

    // Hands the descriptor over without closing it.
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now (and takes `fd` instead). Answers whether the close succeeded, since some file
    // systems report a late write error only there.
    bool reset(int fd = -1) {
        const int old = fd_;
        fd_ = fd;
        return old < 0 || ::close(old) == 0;
    }

  private:
    int fd_;
};

}  // namespace scan
