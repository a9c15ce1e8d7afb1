#pragma once

// The time of the last full scan of every root, kept in "scan-history.txt" in the user's own
// data folder ("Rozovizov" under the local application data folder on Windows, under
// $XDG_DATA_HOME or ~/.local/share elsewhere). Each call reads the file afresh; nothing is
// cached between calls. Neither operation reports failure or throws, except for allocation
// failure.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace history {

// Seconds since 1970-01-01 UTC at which the last full scan of `rootPath` ended, or 0 when the
// root has no entry, the file is missing, empty, 8 MiB or larger, or cannot be read, or the data
// folder cannot be resolved. On Windows only A-Z are folded to lower case before the lookup:
// "C:\Data" and "c:\DATA" are one root, but "C:\Data\" is another, and non-ASCII capitals stay
// capitals. Elsewhere names differing in case are different folders, and the key is the path.
std::uint32_t lastScanTime(std::u16string_view rootPath);

// Stores the current time as the last full scan of `rootPath` (keyed as above), keeping every
// other root, and rewrites the file whole through a temporary file renamed over it, so a
// reader never sees half a file. Recordings of several processes are serialised by the lock
// file "scan-history.txt.lock" beside the history; when that lock cannot be had within ten
// seconds, nothing is written.
// A history file that exists but cannot be read (held open without sharing, denied, an I/O
// error) is left untouched and this recording is lost rather than the file's other roots. An
// empty, malformed or oversized file counts as an empty history and is replaced. A root whose
// path holds a control character or ill-formed UTF-16 is not recorded: its line could not be
// read back as written.
void recordScan(std::u16string_view rootPath);

// Tests only: the folder that holds the history file instead of the per-user one. An empty
// folder stands for a data folder that cannot be resolved; std::nullopt restores the per-user
// folder. The folder is created on use when its parent exists.
void setDataFolderForTesting(std::optional<std::u16string> folder);

}  // namespace history
