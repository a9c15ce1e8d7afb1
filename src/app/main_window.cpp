#include "app/main_window.h"

#include "app/commands.h"
#include "app/window_classes.h"
#include "panes/selection_panel_win32.h"
#include "update/update_worker_win32.h"

namespace app {

MainWindow::MainWindow(settings::SettingsStore& settings, update::UpdateCheck& updates)
    : settings_(settings), updates_(updates) {}

MainWindow::~MainWindow() {
    *alive_ = false;
    // The panel outlives this window; its rows can no longer be clicked through to it.
    panes::SelectionPanel::instance().onRowClicked = nullptr;
    toolbarBuffer_.release();
    detachScanFromPanes();
    controller_.discardScan();
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

void MainWindow::run(const std::u16string& path) {
    if (create(path)) {
        loop();
    }
}

bool MainWindow::create(const std::u16string& path) {
    registerWindowClass(kMainWindowClass, &MainWindow::windowProcedure, nullptr);
    // 1400 × 900 physical pixels, whatever the DPI: a first size, not a metric.
    CreateWindowExW(0, kMainWindowClass, kProgramName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                    CW_USEDEFAULT, 1400, 900, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (window_ == nullptr) {
        return false;
    }
    loadIcons();
    buildChrome();
    buildMenu();
    notifier_ = std::make_unique<scan::WindowNotifier>(window_);
    controller_.setNotifier(notifier_.get());
    accelerators_ =
        LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kAcceleratorResource));
    applySettings();
    if (welcomeView_ != nullptr) {
        welcomeView_->reloadPlaces();
    }
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    if (settings_.checkForUpdates()) {
        update::startUpdateCheck(updates_, window_);
    }
    if (!path.empty()) {
        openScan(path);
    }
    return true;
}

void MainWindow::loop() {
    MSG message{};
    // A modal loop of the system (a menu being tracked, a frame being sized) that runs when the
    // window is destroyed may keep the quit message to itself: the window being gone ends the
    // loop as well, so that the process never lingers without a window.
    while (window_ != nullptr && GetMessageW(&message, nullptr, 0, 0) > 0) {
        processMessage(message);
    }
}

void MainWindow::processMessage(MSG& message) {
    if (keyMovesFocus(message)) {
        return;
    }
    // Translated for every window of the thread, so the keys act wherever the focus is; but the
    // measure box's opened list takes its keys itself, or Esc would stop a scan instead of
    // closing the list.
    if (accelerators_ != nullptr && window_ != nullptr && !keyForSettingsWindow(message) &&
        !keyForOpenedMeasureList(message) &&
        TranslateAcceleratorW(window_, accelerators_, &message) != 0) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

bool MainWindow::keyForOpenedMeasureList(const MSG& message) const {
    return (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) &&
           measureBox_ != nullptr && SendMessageW(measureBox_, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void MainWindow::loadIcons() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const struct {
        int width;
        int height;
        WPARAM which;
    } icons[] = {
        {GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), ICON_SMALL},
        {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), ICON_BIG},
    };
    for (const auto& icon : icons) {
        const HANDLE image = LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                        icon.width, icon.height, 0);
        if (image != nullptr) {
            SendMessageW(window_, WM_SETICON, icon.which, reinterpret_cast<LPARAM>(image));
        }
    }
}

LRESULT CALLBACK MainWindow::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* self = static_cast<MainWindow*>(creation->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        // The object may end before the process does (tests make several), so nothing may
        // reach it through a handle that is gone.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

}  // namespace app
