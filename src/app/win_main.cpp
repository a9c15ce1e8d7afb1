// The entry point of rozovizov.exe, the Windows program.

#include "app/main_window.h"
#include "scan/file_kinds.h"
#include "ui/theme_win32.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>

namespace {

// The first argument after the program's name, exactly as given; further ones are ignored.
std::u16string pathArgument() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::u16string path;
    if (arguments != nullptr && count > 1) {
        path = reinterpret_cast<const char16_t*>(arguments[1]);
    }
    LocalFree(arguments);
    return path;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    ui::allowDarkMenus(ui::windowsBuildNumber());
    scan::ensureKindTable();
    {
        // Its destructor releases the toolbar buffer and stops and joins any scan before COM
        // goes away.
        app::MainWindow mainWindow;
        mainWindow.run(pathArgument());
    }
    CoUninitialize();
    return 0;
}
