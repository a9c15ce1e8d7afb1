#pragma once

// The two ways the main window reaches outside the program: starting itself again as
// administrator, and opening a web address in the browser. Function objects, so that the window
// tests start no program and open no browser. Windows only.

#include <windows.h>

#include <functional>
#include <string>

namespace app {

struct ShellLaunchers {
    // Starts `program` with the verb "runas" and `parameters` (empty for none); true when it
    // started (false also when the user declined the elevation prompt).
    std::function<bool(const std::u16string& program, const std::u16string& parameters)>
        runElevated;
    // Hands `address` to the shell's "open" for `owner`.
    std::function<void(HWND owner, const std::u16string& address)> openAddress;
};

// The shell's own: ShellExecuteExW and ShellExecuteW.
ShellLaunchers systemLaunchers();

}  // namespace app
