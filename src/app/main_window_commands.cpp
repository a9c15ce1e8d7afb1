#include "app/main_window.h"

#include "app/commands.h"

namespace app {

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_CLOSE:
            onClose();
            return 0;
        case WM_SETTINGCHANGE:
            followAppearance();
            return 0;
        case WM_COMMAND:
            command(LOWORD(wParam));
            return 0;
        case WM_TIMER:
            if (wParam == scan::kProgressTimer) {
                onProgressTick();
            }
            return 0;
        case scan::kScanEndedMessage:
            onScanEnded();
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void MainWindow::command(int id) {
    switch (id) {
        case CommandStopScanning:
            if (controller_.running()) {
                controller_.stopScan();
            }
            break;
        case CommandExit:
            PostMessageW(window_, WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

void MainWindow::onClose() {
    controller_.discardScan();
    DestroyWindow(window_);
}

}  // namespace app
