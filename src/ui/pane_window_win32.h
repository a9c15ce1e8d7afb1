#pragma once

// What every custom-drawn pane and panel of the program shares: the object behind the window,
// found through the window's user data from its first message on, the end of that binding when
// the window is destroyed, a repaint whenever the keyboard focus comes or goes (every pane shows
// it), and painting through a back buffer so that nothing flickers. A pane
// registers its class with PaneWindow::windowProcedure and answers messages in `handle`.
// Windows only; user-interface thread only.

#include "ui/drawing_win32.h"

#include <windows.h>

#include <cstdint>
#include <functional>

namespace ui {

// The rows a wheel notch scrolls as the user set it (SPI_GETWHEELSCROLLLINES, which may answer
// "a page"), or 3 when the system does not say.
std::uint32_t wheelScrollLines();

class PaneWindow {
  public:
    PaneWindow(const PaneWindow&) = delete;
    PaneWindow& operator=(const PaneWindow&) = delete;

    // The procedure of every window class whose windows belong to a PaneWindow. A message for a
    // window with no object bound (one made without a creation parameter and not bound yet, or
    // one already destroyed) takes the default course.
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);

    HWND window() const { return window_; }

    // The keyboard focus inside a pane that holds several things to choose (cards, buttons).
    // The main window moves the focus from pane to pane with Tab and F6; such a pane takes Tab
    // itself until it has passed its last inner stop.
    // Tab (or Shift+Tab, `forward` false) while the pane has the focus: moves to the next (or
    // previous) inner stop and answers true, or answers false at its end, so that the focus
    // leaves the pane. Panes without inner stops answer false.
    virtual bool stepFocus(bool /*forward*/) { return false; }
    // The focus arrives from the keyboard (Tab, Shift+Tab or F6), just after SetFocus: a pane
    // with inner stops picks its first one (`forward`) or its last, and from now on shows which
    // one has the focus until the mouse chooses again.
    virtual void enterFocus(bool /*forward*/) {}

  protected:
    PaneWindow() = default;
    // Destroys the window if it still exists. By then the derived object is gone, so the window
    // is unbound first and its last messages take the default course; a pane whose `handle`
    // must see its window's destruction calls destroyWindow in its own destructor.
    virtual ~PaneWindow();
    // Destroys the window while the whole object still answers its messages.
    void destroyWindow();

    // Creates the window of `windowClass` as child `id` of `parent`, at the origin with no size,
    // bound to this object from its first message. True when the window exists.
    bool createChild(const wchar_t* windowClass, DWORD style, HWND parent, int id);
    // Binds a window made elsewhere, which nothing bound at its creation.
    void bindWindow(HWND window);

    // Every message of the bound window but the last (WM_NCDESTROY).
    virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Right after the window was bound at its creation, before any other message reaches
    // `handle`.
    virtual void windowMade() {}
    // Once the window is gone: the object is unbound and the back buffer released.
    virtual void windowGone() {}

    // Gives scroll bar `bar` (SB_VERT or SB_HORZ) the range 0..maximum, the page and the
    // position.
    void setScrollBar(int bar, int maximum, int page, int position) const;
    // Where the scroll bar request `code` (the low word of WM_VSCROLL or WM_HSCROLL) moves an
    // offset that stands at `position`: a `line` or a `page` either way, or to the thumb, whose
    // positions count `trackUnit` each. Not yet kept within the content: the caller clamps.
    std::int64_t scrolledPosition(int bar, int code, std::int64_t position, std::int64_t line,
                                  std::int64_t page, std::int64_t trackUnit = 1) const;

    // Paints the client area in answer to WM_PAINT: `draw` paints into the back buffer, which
    // is then copied to the window in one go.
    void paintBuffered(const std::function<void(HDC buffer, const RECT& client)>& draw);

  private:
    HWND window_ = nullptr;
    BackBuffer buffer_;
};

}  // namespace ui
