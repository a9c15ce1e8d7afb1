#pragma once

// Sending one file or folder to the Recycle Bin, and never anywhere else: the shell deletes an
// item for good when its drive has no bin, the bin is off, or the item does not fit, so those are
// checked first; the shell's file operation is then told to stop any delete that would not go to
// the bin. Where that operation is missing (Wine), the older call is used, which asks the user
// rather than destroy whatever slips past the checks. Windows only; user-interface thread only
// (the shell may show its question owned by `owner`).

#include "deleting/deleting_texts.h"
#include "deleting/recycle_outcome.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace deleting {

// What the system tells about `path` (of `bytes` bytes) and its drive.
RecycleFacts recycleFactsOf(const std::u16string& path, std::int64_t bytes);

// Why the Recycle Bin would not take `path` (of `bytes` bytes) but destroy it, or refuse it, as a
// lower-case phrase; empty when nothing stands in the way. A pattern is refused before anything
// touches the file system.
std::u16string recycleRefusalOf(const std::u16string& path, std::int64_t bytes);

// Hands `path` to the Recycle Bin and says what the shell reported. Nothing is attempted when
// recycleRefusalOf gives a reason. What really happened is for the caller to read from the disk.
ShellAttempt recycleToBin(HWND owner, const std::u16string& path, std::int64_t bytes);

}  // namespace deleting
