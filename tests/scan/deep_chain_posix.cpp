#include "deep_chain.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace scan::testing {

bool makeDeepChain(const std::filesystem::path& base, const std::string& name, int levels,
                   std::size_t fileBytes) {
    int at = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const std::string bytes(fileBytes, 'x');
    for (int level = 0; level < levels && at >= 0; ++level) {
        if (::mkdirat(at, name.c_str(), 0755) != 0) {
            ::close(at);
            return false;
        }
        const int next = ::openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(at);
        at = next;
        const int file = ::openat(at, "f.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (file < 0 ||
            ::write(file, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
            ::close(at);
            return false;
        }
        ::close(file);
    }
    if (at < 0) {
        return false;
    }
    ::close(at);
    return true;
}

void removeDeepChain(const std::filesystem::path& base, const std::string& name) {
    // Down to the bottom, keeping every folder open, then up again removing as it goes.
    std::vector<int> opened{::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    while (opened.back() >= 0) {
        opened.push_back(::openat(opened.back(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    opened.pop_back();
    for (std::size_t i = opened.size(); i-- > 0;) {
        ::unlinkat(opened[i], "f.txt", 0);
        ::unlinkat(opened[i], name.c_str(), AT_REMOVEDIR);
        ::close(opened[i]);
    }
}

}  // namespace scan::testing
