#pragma once

// Running the update check on its own thread and telling a window when it found a newer
// version. Windows only.

#include "update/update_check.h"

#include <windows.h>

namespace update {

// Posted (wParam 0, lParam 0) when the check found a newer version.
inline constexpr UINT kUpdateFoundMessage = WM_APP + 20;
// Posted (wParam 0, lParam 0) at the end of every check, whatever it found, after
// kUpdateFoundMessage.
inline constexpr UINT kUpdateCheckedMessage = WM_APP + 21;

// When `check` has not started: starts it on a new, detached thread, which asks the service for
// the running version, stores the outcome in `check` and posts kUpdateFoundMessage to `target`
// (when not null) if it found a newer version. When it has started: posts the message again if
// it is done with a result. Never waits for the network. `check` must outlive the worker.
void startUpdateCheck(UpdateCheck& check, HWND target);

// The same for the process's check.
void startUpdateCheck(HWND target);

// Asks the service again: starts `check` as startUpdateCheck does when it has not started, and
// again when it is done. False, doing nothing, while a check runs.
bool checkAgain(UpdateCheck& check, HWND target);

}  // namespace update
