#pragma once

// The file-system side of the scan history, one back end per platform: where the data folder
// is, reading the history file, a lock shared by every process of the user, and replacing the
// file whole. Folders are UTF-16 paths; the history file is "scan-history.txt" in them.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace history {

// Files of this size or larger are not read: the cap bounds the memory a damaged or foreign
// file can cost.
inline constexpr std::size_t kHistoryByteLimit = 8'388'608;

// The key the history keeps `rootPath` under: A-Z folded to a-z where the file system ignores
// case in names (Windows), the path as it is where it does not, so that two folders whose names
// differ only in case stay two roots.
std::u16string keyOf(std::u16string_view rootPath);

// The per-user data folder, or an empty string when the platform cannot name one. Does not
// create it.
std::u16string defaultDataFolder();

// Creates `folder` when it is missing (and, where the platform's base folder may be missing
// too, its parents). Failures are left to the file operations that follow.
void createDataFolder(const std::u16string& folder);

enum class ReadStatus {
    Read,     // `bytes` holds the file, or nothing when it is empty or at the size cap
    Missing,  // there is no history file (or no folder for it)
    Failed,   // the file exists but could not be opened, measured or read
};

struct HistoryFileRead {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;
};

// Reads the whole history file in `folder` when it is from 1 byte to below the size cap.
HistoryFileRead readHistoryFile(const std::u16string& folder);

// Runs `work` while holding the exclusive lock of the history in `folder`, which every process
// takes around its read-modify-write. Waits up to `maxWait` for another holder; answers false,
// without running `work`, when the lock could not be had in that time or at all.
bool whileLocked(const std::u16string& folder, std::chrono::milliseconds maxWait,
                 const std::function<void()>& work);

// Writes `text` to "scan-history.txt.tmp", flushes it, and renames it over the history file.
// True when the history file now holds `text`; on any failure the history file is as it was
// and the temporary file is removed.
bool replaceHistoryFile(const std::u16string& folder, std::string_view text);

}  // namespace history
