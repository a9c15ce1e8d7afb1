#include "scan/long_path_posix.h"

#include "scan/unique_fd_posix.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace scan {

int openLongPath(const std::string& path, int flags) {
    flags |= O_CLOEXEC;
    if (path.size() < PATH_MAX) {
        return ::open(path.c_str(), flags);
    }
    UniqueFd reached;
    int base = AT_FDCWD;
    std::size_t start = 0;
    if (path[0] == '/') {
        reached.reset(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!reached.valid()) {
            return -1;
        }
        base = reached.get();
        start = 1;
    }
    for (;;) {
        if (start == path.size()) {
            return ::openat(base, ".", flags);
        }
        if (path.size() - start < PATH_MAX) {
            return ::openat(base, path.c_str() + start, flags);
        }
        // The last separator that leaves the piece short enough; no name is that long, so
        // there is always one.
        const std::size_t cut = path.rfind('/', start + PATH_MAX - 2);
        if (cut == std::string::npos || cut < start) {
            errno = ENAMETOOLONG;
            return -1;
        }
        if (cut == start) {
            start += 1;
            continue;
        }
        const std::string piece = path.substr(start, cut - start);
        const int next = ::openat(base, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (next < 0) {
            return -1;
        }
        reached.reset(next);
        base = next;
        start = cut + 1;
    }
}

}  // namespace scan
