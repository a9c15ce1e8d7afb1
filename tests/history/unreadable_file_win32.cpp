#include <windows.h>

#include "unreadable_file.h"

namespace history::test_support {

bool whileUnreadable(const std::filesystem::path& file, const std::function<void()>& action) {
    const HANDLE holder = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (holder == INVALID_HANDLE_VALUE) {
        return false;
    }
    const HANDLE probe = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool denied = probe == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
    }
    if (denied) {
        action();
    }
    CloseHandle(holder);
    return denied;
}

}  // namespace history::test_support
