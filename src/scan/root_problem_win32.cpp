#include "scan/root_problem.h"

#include "scan/scanner.h"
#include "scan/text.h"
#include "scan/unique_handle_win32.h"
#include "scan/wide_text_win32.h"

#include <windows.h>

#include <string>

namespace scan {

namespace {

std::u16string reasonOf(DWORD error) {
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
        case ERROR_NOT_READY:
            return u"the drive is not ready";
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return u"the network path was not found";
        default:
            return u"error " + fromUtf8(std::to_string(error));
    }
}

}  // namespace

std::u16string unreachableReason(const std::u16string& path) {
    const std::u16string longPath = longPathOf(path);
    const DWORD attributes = GetFileAttributesW(wide(longPath));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return reasonOf(GetLastError());
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return u"it is not a folder";
    }
    const UniqueHandle folder(CreateFileW(
        wide(longPath), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder.valid()) {
        return reasonOf(GetLastError());
    }
    return u"it cannot be read";
}

}  // namespace scan
