#include "scan/root_problem.h"

#include "scan/scanner.h"
#include "scan/system_error.h"
#include "scan/text.h"
#include "scan/unique_handle_win32.h"
#include "scan/wide_text_win32.h"

#include <windows.h>

#include <string>

namespace scan {

std::u16string unreachableReason(const std::u16string& path) {
    const std::u16string longPath = longPathOf(path);
    const DWORD attributes = GetFileAttributesW(wide(longPath));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return reasonOfSystemError(GetLastError());
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return u"it is not a folder";
    }
    const UniqueHandle folder(CreateFileW(
        wide(longPath), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder.valid()) {
        return reasonOfSystemError(GetLastError());
    }
    return u"it cannot be read";
}

}  // namespace scan
