#pragma once

// Sending one file or folder to the Recycle Bin, and never anywhere else: the shell deletes an
// item for good when its drive has no bin, the bin is off, or the item does not fit, so those are
// checked first, and the shell is told to ask rather than destroy whatever slips past the checks.
// Windows only; user-interface thread only (the shell may show its question owned by `owner`).

#include "deleting/deleting_texts.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace deleting {

// What the system tells about `path` (of `bytes` bytes) and its drive.
RecycleFacts recycleFactsOf(const std::u16string& path, std::int64_t bytes);

// Moves `path` to the Recycle Bin. True only when the shell reported success and nothing is left
// at the path. False with a reason otherwise; the item then stays where it was, unless the user
// agreed in the shell's own question to delete it for good.
bool recycleToBin(HWND owner, const std::u16string& path, std::int64_t bytes,
                  std::u16string& reason);

}  // namespace deleting
