#include "scan/root_problem.h"

#include "scan/long_path_posix.h"
#include "scan/scanner.h"
#include "scan/system_error.h"
#include "scan/text.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace scan {

std::u16string unreachableReason(const std::u16string& path) {
    const std::string bytes = fileNameToBytes(longPathOf(path));
    const int folder = openLongPath(bytes, O_RDONLY | O_DIRECTORY);
    if (folder < 0) {
        return reasonOfSystemError(static_cast<unsigned long>(errno));
    }
    ::close(folder);
    return u"it cannot be read";
}

}  // namespace scan
