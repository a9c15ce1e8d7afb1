#include "app/main_window.h"

#include "scan/wide_text_win32.h"

namespace app {

namespace {

// Script support: when ROZOVIZOV_SCAN_END_FILE names a file, it is made each time a scan has
// ended and the window has been painted, so a script that shows the window can tell when to
// take its picture.
void announceScanEnd(HWND window) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"ROZOVIZOV_SCAN_END_FILE", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return;
    }
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
}

}  // namespace

void MainWindow::openScan(const std::u16string& path) {
    SetWindowTextW(window_, scan::wide(u"Rozovizov \u2014 " + path));
    welcomeShown_ = false;
    elevationOffered_ = false;
    controller_.startScan(path);
    InvalidateRect(window_, nullptr, FALSE);
}

void MainWindow::onProgressTick() {
    if (controller_.running()) {
        controller_.bumpGeneration();
    }
}

void MainWindow::onScanEnded() {
    InvalidateRect(window_, nullptr, FALSE);
    announceScanEnd(window_);
}

}  // namespace app
