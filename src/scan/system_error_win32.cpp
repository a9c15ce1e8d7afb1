#include "scan/system_error.h"

#include "scan/text.h"

#include <windows.h>

#include <string>

namespace scan {

std::u16string reasonOfSystemError(unsigned long error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_PATHNAME:
            return u"it does not exist";
        case ERROR_DIRECTORY:
            return u"it is not a folder";
        case ERROR_ACCESS_DENIED:
            return u"access is denied";
        case ERROR_SHARING_VIOLATION:
            return u"another program is using it";
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return u"the disk is full";
        case ERROR_NOT_READY:
            return u"the drive is not ready";
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return u"the network path was not found";
        default:
            return u"error " + fromUtf8(std::to_string(error));
    }
}

}  // namespace scan
