#include "scan/root_problem.h"

#include "scan/long_path_posix.h"
#include "scan/scanner.h"
#include "scan/text.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace scan {

namespace {

std::u16string reasonOf(int error) {
    switch (error) {
        case ENOENT:
            return u"it does not exist";
        case ENOTDIR:
            return u"it is not a folder";
        case EACCES:
        case EPERM:
            return u"access is denied";
        default: {
            std::string text = std::strerror(error);
            if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') {
                text[0] = static_cast<char>(text[0] - 'A' + 'a');
            }
            return fromUtf8(text);
        }
    }
}

}  // namespace

std::u16string unreachableReason(const std::u16string& path) {
    const std::string bytes = fileNameToBytes(longPathOf(path));
    const int folder = openLongPath(bytes, O_RDONLY | O_DIRECTORY);
    if (folder < 0) {
        return reasonOf(errno);
    }
    ::close(folder);
    return u"it cannot be read";
}

}  // namespace scan
