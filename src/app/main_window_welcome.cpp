// The main window's start page, its folder picker and its settings window.

#include "app/main_window.h"

#include "app/commands.h"
#include "app/window_classes.h"
#include "settings/settings_window_win32.h"
#include "ui/com_pointer_win32.h"
#include "ui/theme_win32.h"

#include <objbase.h>
#include <shobjidl.h>

namespace app {

void MainWindow::createWelcomeView() {
    registerWindowClass(panes::kWelcomeViewClass, &panes::WelcomeView::windowProcedure,
                        LoadCursorW(nullptr, IDC_ARROW));
    welcomeView_ = std::make_unique<panes::WelcomeView>();
    if (!welcomeView_->create(window_, ControlWelcome)) {
        return;
    }
    const int iconSize = ui::scaled(welcomeView_->window(), 44);
    welcomeView_->setApplicationIcon(
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconResource),
                                      IMAGE_ICON, iconSize, iconSize, LR_DEFAULTCOLOR)));
    ui::applyWindowTheme(welcomeView_->window());

    welcomeView_->onOpenPath = [this](const std::u16string& path) { openScan(path); };
    welcomeView_->onChooseFolder = [this] { chooseFolder(); };
    welcomeView_->onRestartElevated = [this] { command(CommandRestartElevated); };
    welcomeView_->onDownload = [this](const std::u16string& address) { openDownload(address); };
}

void MainWindow::chooseFolder() {
    ui::ComPointer<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFileOpenDialog, dialog.putVoid()))) {
        return;
    }
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_FORCESHOWHIDDEN);
    dialog->SetTitle(L"Choose a folder or drive to scan");
    if (FAILED(dialog->Show(window_))) {
        return;
    }
    ui::ComPointer<IShellItem> chosen;
    if (FAILED(dialog->GetResult(chosen.put()))) {
        return;
    }
    PWSTR name = nullptr;
    std::u16string path;
    if (SUCCEEDED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &name)) && name != nullptr) {
        path = reinterpret_cast<const char16_t*>(name);
    }
    CoTaskMemFree(name);
    if (!path.empty()) {
        openScan(path);
    }
}

void MainWindow::showSettings() {
    registerWindowClass(settings::kSettingsWindowClass, &settings::SettingsWindow::windowProcedure,
                        LoadCursorW(nullptr, IDC_ARROW));
    settings::settingsWindow().show(window_, settings_);
}

void MainWindow::followAppearanceInSettings() {
    // The settings window has its own title bar and paints from the palette, which this window
    // has just reloaded.
    const HWND settingsWindow = settings::settingsWindow().window();
    if (settingsWindow != nullptr) {
        ui::applyWindowTheme(settingsWindow);
        InvalidateRect(settingsWindow, nullptr, FALSE);
    }
}

bool MainWindow::keyForSettingsWindow(const MSG& message) const {
    // The settings window hides on Esc, which elsewhere stops a scan: the key goes to it
    // untranslated.
    const HWND settingsWindow = settings::settingsWindow().window();
    return settingsWindow != nullptr && message.message == WM_KEYDOWN &&
           message.wParam == VK_ESCAPE &&
           (message.hwnd == settingsWindow || IsChild(settingsWindow, message.hwnd));
}

}  // namespace app
