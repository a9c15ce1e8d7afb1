#include <windows.h>

#include <chrono>
#include <thread>

#include "unreadable_file.h"

namespace history::test_support {

namespace {

// Shorter than the time a recording keeps retrying its rename, so a recording that went ahead
// after failing to read would replace the file once the holder lets go.
constexpr std::chrono::seconds kHoldTime{1};

bool refusesReading(const std::filesystem::path& file) {
    const HANDLE probe = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace

bool whileUnreadable(const std::filesystem::path& file, const std::function<void()>& action) {
    const HANDLE holder = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (holder == INVALID_HANDLE_VALUE) {
        return false;
    }
    if (!refusesReading(file)) {
        CloseHandle(holder);
        return false;
    }
    std::thread release([holder] {
        std::this_thread::sleep_for(kHoldTime);
        CloseHandle(holder);
    });
    action();
    release.join();
    return true;
}

}  // namespace history::test_support
