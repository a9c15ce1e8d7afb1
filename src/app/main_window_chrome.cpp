#include "app/main_window.h"

#include "ui/theme_win32.h"

namespace app {

namespace {

// Metrics at 96 DPI.
constexpr int kToolbarHeight = 42;
constexpr int kStatusGapAfterMeasureBox = 14;
constexpr int kStatusGapBeforeZoomOut = 10;

RECT clientRectOf(HWND child, HWND parent) {
    RECT rectangle{};
    GetWindowRect(child, &rectangle);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rectangle), 2);
    return rectangle;
}

}  // namespace

void MainWindow::buildChrome() {
    ui::applyWindowTheme(window_);
}

void MainWindow::paint() {
    PAINTSTRUCT paintStruct{};
    const HDC dc = BeginPaint(window_, &paintStruct);
    paintToolbarBand(dc);
    // Until the panes and the welcome view cover it, the content area is one empty pane.
    RECT content{};
    GetClientRect(window_, &content);
    content.top = ui::scaled(window_, kToolbarHeight);
    if (content.top < content.bottom) {
        FillRect(dc, &content, ui::brushFor(ui::palette().paneBackground));
    }
    EndPaint(window_, &paintStruct);
}

void MainWindow::paintToolbarBand(HDC dc) {
    RECT client{};
    GetClientRect(window_, &client);
    const int width = client.right;
    const int height = ui::scaled(window_, kToolbarHeight);
    const HDC buffer = toolbarBuffer_.prepare(dc, width, height);
    if (buffer == nullptr) {
        return;
    }
    const ui::Palette& colours = ui::palette();
    const RECT band{0, 0, width, height};
    FillRect(buffer, &band, ui::brushFor(colours.chromeBackground));
    const RECT line{0, height - 1, width, height};
    FillRect(buffer, &line, ui::brushFor(colours.line));
    // The status line sits between the measure box and "Zoom Out" once the toolbar exists.
    if (!welcomeShown_ && measureBox_ != nullptr && zoomOutButton_ != nullptr) {
        const RECT measure = clientRectOf(measureBox_, window_);
        const RECT zoomOut = clientRectOf(zoomOutButton_, window_);
        const RECT status{measure.right + ui::scaled(window_, kStatusGapAfterMeasureBox), 0,
                          zoomOut.left - ui::scaled(window_, kStatusGapBeforeZoomOut), height - 1};
        if (status.left < status.right) {
            ui::drawLabel(buffer, statusText_, status, colours.dimText,
                          ui::uiFont(window_, ui::FontStyle::Regular),
                          DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
        }
    }
    toolbarBuffer_.present(dc, width, height);
}

void MainWindow::followAppearance() {
    const bool wasDark = ui::palette().dark;
    ui::loadPalette();
    if (ui::palette().dark == wasDark) {
        return;
    }
    ui::applyWindowTheme(window_);
    InvalidateRect(window_, nullptr, TRUE);
}

}  // namespace app
