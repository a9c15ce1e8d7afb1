#include "app/main_window.h"

#include "app/commands.h"

#include <windowsx.h>

namespace app {

namespace {

void place(HWND window, const PaneRect& r) {
    MoveWindow(window, r.x, r.y, r.width, r.height, TRUE);
}

void placeOrHide(HWND window, const PanePlace& where) {
    if (window == nullptr) {
        return;
    }
    if (where.shown) {
        place(window, where.rect);
        ShowWindow(window, SW_SHOWNA);
    } else {
        ShowWindow(window, SW_HIDE);
    }
}

}  // namespace

void MainWindow::layout() {
    // A minimised window has no client area to share out; its panes keep their places until it
    // comes back.
    if (treemapView_ == nullptr || treemapView_->window() == nullptr || IsIconic(window_)) {
        return;
    }
    RECT client{};
    GetClientRect(window_, &client);
    LayoutRequest request;
    request.clientWidth = client.right;
    request.clientHeight = client.bottom;
    request.dpi = ui::windowDpi(window_);
    request.welcomeShown = welcomeShown_;
    request.showKinds = settings_.showFileKindStatistics();
    request.splitHorizontally = settings_.splitHorizontally();
    request.pendingShown = !pending_.empty();
    const MainLayoutResult result = layout_.layout(request);

    place(openButton_, result.toolbar.open);
    place(measureBox_, result.toolbar.measureBox);
    place(refreshButton_, result.toolbar.refresh);
    place(stopButton_, result.toolbar.stop);
    place(zoomOutButton_, result.toolbar.zoomOut);
    placeOrHide(kindPane_->window(), result.kinds);
    placeOrHide(treemapView_->window(), result.treemap);
    if (pendingPane_ != nullptr) {
        placeOrHide(pendingPane_->window(), result.pending);
    }
    if (fileList_ != nullptr) {
        placeOrHide(fileList_->window(), result.list);
    }
    if (welcomeView_ != nullptr) {
        placeOrHide(welcomeView_->window(), result.welcome);
    }
    // The gaps moved with the panes; the band's status line may have another width.
    InvalidateRect(window_, nullptr, FALSE);
    // A pane hidden just now (the pending deletes emptied, the kinds pane switched off) may
    // have had the keyboard.
    keepFocusShown();
}

bool MainWindow::onSetCursor(HWND over) {
    if (over != window_) {
        return false;
    }
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(window_, &point);
    switch (layout_.cursorAt(point.x, point.y)) {
        case SplitterCursor::None:
            return false;
        case SplitterCursor::SizeNorthSouth:
            SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
            return true;
        case SplitterCursor::SizeWestEast:
            SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
            return true;
    }
    return false;
}

void MainWindow::onMouse(UINT message, int x, int y) {
    switch (message) {
        case WM_LBUTTONDOWN:
            if (layout_.beginDrag(x, y)) {
                SetCapture(window_);
            }
            break;
        case WM_MOUSEMOVE:
            if (layout_.dragTo(x, y)) {
                layout();
            }
            break;
        case WM_LBUTTONUP:
            if (layout_.endDrag()) {
                ReleaseCapture();
            }
            break;
        default:
            break;
    }
}

void MainWindow::onDpiChanged(const RECT& suggested) {
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    const HFONT font = ui::uiFont(window_, ui::FontStyle::Regular);
    for (const HWND control :
         {openButton_, measureBox_, zoomOutButton_, stopButton_, refreshButton_}) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    fitMeasureListToItems();
    layout();
}

}  // namespace app
