#include "history/scan_history.h"

#include <chrono>
#include <limits>
#include <mutex>

#include "history/history_format.h"
#include "history/history_store.h"

namespace history {

namespace {

// Another process holds the lock only while it reads and rewrites one small file; seconds of
// waiting mean it is stuck, and a scan must not wait on it for ever.
constexpr std::chrono::milliseconds kLockWait{10'000};

std::mutex testFolderMutex;
std::optional<std::u16string> testFolder;

// The folder of this operation's history file, created when missing; empty when the history
// is off for this operation.
std::u16string dataFolder() {
    std::optional<std::u16string> folder;
    {
        const std::lock_guard lock(testFolderMutex);
        folder = testFolder;
    }
    if (!folder) {
        folder = defaultDataFolder();
    }
    if (!folder->empty()) {
        createDataFolder(*folder);
    }
    return *folder;
}

// A stored time is never 0, which the file reserves for "no entry".
std::uint32_t currentTime() {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    constexpr auto kMaximum = std::numeric_limits<std::uint32_t>::max();
    if (seconds < 1) {
        return 1;
    }
    return seconds > kMaximum ? kMaximum : static_cast<std::uint32_t>(seconds);
}

}  // namespace

std::uint32_t lastScanTime(std::u16string_view rootPath) {
    const std::u16string folder = dataFolder();
    if (folder.empty()) {
        return 0;
    }
    const HistoryFileRead file = readHistoryFile(folder);
    if (file.status != ReadStatus::Read) {
        return 0;
    }
    const HistoryMap map = parseHistory(file.bytes);
    const auto entry = map.find(keyOf(rootPath));
    return entry == map.end() ? 0 : entry->second;
}

void recordScan(std::u16string_view rootPath) {
    if (!isRecordable(rootPath)) {
        return;
    }
    const std::u16string folder = dataFolder();
    if (folder.empty()) {
        return;
    }
    whileLocked(folder, kLockWait, [&] {
        const HistoryFileRead file = readHistoryFile(folder);
        if (file.status == ReadStatus::Failed) {
            // The file may hold every other root's time; a lock held for a moment by some
            // other program must not cost all of them.
            return;
        }
        HistoryMap map = parseHistory(file.bytes);
        map.insert_or_assign(keyOf(rootPath), currentTime());
        replaceHistoryFile(folder, formatHistory(map));
    });
}

void setDataFolderForTesting(std::optional<std::u16string> folder) {
    const std::lock_guard lock(testFolderMutex);
    testFolder = std::move(folder);
}

}  // namespace history
