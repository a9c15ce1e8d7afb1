#include "scan/system_error.h"

#include "scan/text.h"

#include <cerrno>
#include <cstring>
#include <string>

namespace scan {

std::u16string reasonOfSystemError(unsigned long error) {
    switch (error) {
        case ENOENT:
            return u"it does not exist";
        case ENOTDIR:
            return u"it is not a folder";
        case EACCES:
        case EPERM:
            return u"access is denied";
        case ENOSPC:
            return u"the disk is full";
        case EDQUOT:
            return u"the disk quota is used up";
        case EFBIG:
            return u"the file grew too large";
        default: {
            std::string text = std::strerror(static_cast<int>(error));
            if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') {
                text[0] = static_cast<char>(text[0] - 'A' + 'a');
            }
            return fromUtf8(text);
        }
    }
}

}  // namespace scan
