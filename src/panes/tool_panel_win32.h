#pragma once

// What the two tool windows that follow the selection share: one panel object per process,
// bound to a window that the main window makes on first use; the close box only hides it; its
// content is painted through a back buffer. Windows only; user-interface thread only.

#include "ui/pane_window_win32.h"

#include <windows.h>

namespace panes {

class ToolPanel : public ui::PaneWindow {
  public:
    // Binds the panel to the window the main window made for it. The binding ends when that
    // window is destroyed (with its owner), and a later window may be attached.
    void attach(HWND window) { bindWindow(window); }
    // Whether the window exists and is visible.
    bool shown() const { return window() != nullptr && IsWindowVisible(window()) != 0; }

  protected:
    // Paints the whole client area into `buffer`.
    virtual void paint(HDC buffer, const RECT& client) = 0;
    // Messages other than painting and closing.
    virtual LRESULT handleOther(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(window(), message, wParam, lParam);
    }
    void repaint() {
        if (window() != nullptr) {
            InvalidateRect(window(), nullptr, FALSE);
        }
    }

  private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) final {
        switch (message) {
            case WM_PAINT:
                paintBuffered([this](HDC buffer, const RECT& client) { paint(buffer, client); });
                return 0;
            case WM_ERASEBKGND:
                return 1;
            case WM_CLOSE:
                ShowWindow(window(), SW_HIDE);
                return 0;
            default:
                return handleOther(message, wParam, lParam);
        }
    }
};

}  // namespace panes
