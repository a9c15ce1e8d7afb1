#pragma once

// The question asked when the user leaves a scan (opens another, refreshes, closes the window)
// while items still count down. Windows only.

#include <windows.h>

#include <cstddef>

namespace deleting {

enum class LeavingChoice { DeleteThem, PutThemBack, Cancel };

// The command links' ids in the task dialog.
inline constexpr int kDeleteThemButton = 101;
inline constexpr int kPutThemBackButton = 102;

// Shows the task dialog owned by `owner` for `count` pending items and answers the choice; a
// dialog that cannot be shown counts as Cancel.
LeavingChoice askBeforeLeaving(HWND owner, std::size_t count);

}  // namespace deleting
