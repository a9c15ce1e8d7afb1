#pragma once

// Every window class of the program is registered here, lazily, right before its first window
// is made. Windows only; user-interface thread only.

#include <windows.h>

namespace app {

// Registers `name` with `procedure` the first time it is asked for, with CS_HREDRAW |
// CS_VREDRAW | CS_DBLCLKS, the module's instance, `cursor` or else the arrow, and no background
// brush, icon or menu. Later calls with the same name do nothing, also when the first
// registration failed.
void registerWindowClass(const wchar_t* name, WNDPROC procedure, HCURSOR cursor);

}  // namespace app
