#pragma once

// What the file system says now about a file or folder, for the information panel: its times as
// the user's locale writes them and its attribute bits. Windows only.

#include "panes/inspector_rows.h"

#include <windows.h>

#include <optional>
#include <string>

namespace panes {

// The local time of `time` as a short date and a time without seconds, in the user's locale;
// the unknown text for a zero time and wherever a conversion fails, rather than a wrong time.
std::u16string dateText(const FILETIME& time);

// The times and attributes of `path` (a full path, queried in its long-path form); none when the
// file system cannot answer (the file is gone, moved, or closed to us).
std::optional<FileFacts> fileFactsOf(const std::u16string& path);

}  // namespace panes
