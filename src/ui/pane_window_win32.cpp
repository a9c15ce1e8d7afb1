#include "ui/pane_window_win32.h"

namespace ui {

std::uint32_t wheelScrollLines() {
    UINT lines = 3;
    if (SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0) == 0) {
        return 3;
    }
    return lines;
}

PaneWindow::~PaneWindow() {
    if (window_ != nullptr) {
        const HWND window = window_;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        window_ = nullptr;
        DestroyWindow(window);
    }
}

void PaneWindow::destroyWindow() {
    if (window_ != nullptr) {
        // Its WM_NCDESTROY unbinds it.
        DestroyWindow(window_);
    }
}

LRESULT CALLBACK PaneWindow::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (auto* made = static_cast<PaneWindow*>(creation->lpCreateParams)) {
            made->bindWindow(window);
            made->windowMade();
        }
    }
    auto* self = reinterpret_cast<PaneWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
        // Every pane shows whether it has the keyboard, so each repaints as the focus comes and
        // goes; what it does besides is its own.
        InvalidateRect(window, nullptr, FALSE);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self->buffer_.release();
        self->windowGone();
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

bool PaneWindow::createChild(const wchar_t* windowClass, DWORD style, HWND parent, int id) {
    // The creation parameter is this base, which the procedure reads back as such.
    CreateWindowExW(0, windowClass, L"", WS_CHILD | style, 0, 0, 0, 0, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                    static_cast<PaneWindow*>(this));
    return window_ != nullptr;
}

void PaneWindow::bindWindow(HWND window) {
    window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void PaneWindow::setScrollBar(int bar, int maximum, int page, int position) const {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = maximum;
    info.nPage = static_cast<UINT>(page < 0 ? 0 : page);
    info.nPos = position;
    SetScrollInfo(window_, bar, &info, TRUE);
}

std::int64_t PaneWindow::scrolledPosition(int bar, int code, std::int64_t position,
                                          std::int64_t line, std::int64_t page,
                                          std::int64_t trackUnit) const {
    switch (code) {
        case SB_LINEUP:
            return position - line;
        case SB_LINEDOWN:
            return position + line;
        case SB_PAGEUP:
            return position - page;
        case SB_PAGEDOWN:
            return position + page;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: {
            SCROLLINFO info{};
            info.cbSize = sizeof(info);
            info.fMask = SIF_TRACKPOS;
            GetScrollInfo(window_, bar, &info);
            return std::int64_t{info.nTrackPos} * trackUnit;
        }
        default:
            return position;
    }
}

void PaneWindow::paintBuffered(const std::function<void(HDC buffer, const RECT& client)>& draw) {
    PAINTSTRUCT paint{};
    const HDC target = BeginPaint(window_, &paint);
    RECT client{};
    GetClientRect(window_, &client);
    if (const HDC buffer = buffer_.prepare(target, client.right, client.bottom)) {
        draw(buffer, client);
        buffer_.present(target, client.right, client.bottom);
    }
    EndPaint(window_, &paint);
}

}  // namespace ui
