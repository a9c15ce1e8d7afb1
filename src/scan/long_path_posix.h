#pragma once

// Opening by path past the kernel's limit on one path (PATH_MAX bytes). POSIX only.

#include <string>

namespace scan {

// Opens `path` like open(2) with `flags` (O_CLOEXEC is added). A path of PATH_MAX bytes or more
// is opened piece by piece, each piece shorter than the limit and opened from the folder the
// piece before reached, following links as one call would. Answers the descriptor, or -1 with
// errno set.
int openLongPath(const std::string& path, int flags);

}  // namespace scan
