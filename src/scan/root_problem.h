#pragma once

// Why a scan could not start from its root, in the words the user reads: the command line prints
// it after "cannot scan", the window shows it in the status line and in place of the treemap.

#include <string>

namespace scan {

// Why `path` cannot be listed as a folder, as a lower-case phrase: "it does not exist", "it is not
// a folder", "access is denied", or another reason of the platform's. "it cannot be read" when
// the folder opens now (it was unreadable only while it was scanned).
std::u16string unreachableReason(const std::u16string& path);

}  // namespace scan
