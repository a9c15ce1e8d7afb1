#pragma once

// The narrow pane at the right of the main window that lists the pending deletes while there are
// any: a countdown disc, the name and size and an "Undelete" button per item, and "Undelete All"
// and "Delete Now" below. Where things go is PendingPaneLayout's; this class owns the window,
// paints and forwards clicks to the model. Windows only; user-interface thread only.

#include "deleting/pending_deletes.h"
#include "deleting/pending_pane_layout.h"
#include "ui/drawing_win32.h"
#include "ui/pane_window_win32.h"

#include <windows.h>

#include <functional>
#include <vector>

namespace deleting {

inline constexpr const wchar_t* kPendingPaneClass = L"RozovizovPendingPane";

class PendingPane : public ui::PaneWindow {
  public:
    PendingPane() = default;

    // Creates the pane as the hidden child `id` of `parent`, showing `model` (not owned). The
    // class kPendingPaneClass must have been registered with PaneWindow::windowProcedure.
    bool create(HWND parent, int id, PendingDeletes* model);

    // Fits the scroll range to the list and clamps the offset; the owner calls it after every
    // change of the list and every countdown tick, then invalidates.
    void recount();

    // "Delete Now" was pressed: the owner asks for confirmation.
    std::function<void()> onDeleteNow;

    // The keyboard goes from button to button: each row's "Undelete", then "Undelete All" and
    // "Delete Now".
    bool stepFocus(bool forward) override;
    void enterFocus(bool forward) override;
    // The button the keyboard is on: a row's index, or rows + 0 for "Undelete All" and rows + 1
    // for "Delete Now"; -1 before the keyboard came.
    int focusedButton() const { return focusedButton_; }

    int scrollOffset() const { return offset_; }
    int hoverRow() const { return hoverRow_; }
    bool hoverUndeleteAll() const { return hoverUndeleteAll_; }
    bool hoverDeleteNow() const { return hoverDeleteNow_; }
    // Where the buttons are for the list as it stands now, in client coordinates: what a paint
    // draws and what a click is tested against.
    Box rowButtonNow(int index) const;
    FooterButtons footerButtonsNow() const;

  private:
    // What lies under a point of the pane as the list stands now.
    struct Hit {
        int line = -1;       // the list line, -1 over the header, the footer or below the list
        int rowButton = -1;  // the line whose "Undelete" button it is on, or -1
        bool undeleteAll = false;
        bool deleteNow = false;
    };

    Hit hitTest(int x, int y) const;
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    PaneMetrics metrics() const;
    void onPaint();
    void paintPane(HDC dc, int width, int height);
    void paintRow(HDC dc, const PaneMetrics& m, int width, int index, bool hovered);
    void paintFocusMark(HDC dc, const PaneMetrics& m, int width, int height);
    void onMouseMove(int x, int y);
    void onButtonDown(int x, int y);
    void onScroll(WPARAM request);
    void scrollTo(int offset);
    bool anyHovered() const { return hoverRow_ >= 0 || hoverUndeleteAll_ || hoverDeleteNow_; }
    int buttonCount() const;
    // Moves the keyboard to button `index` (kept within the buttons) and scrolls its row in.
    void focusButton(int index);
    void onKey(WPARAM key);
    // What a click on button `index` does.
    void press(int index);

    PendingDeletes* model_ = nullptr;
    int offset_ = 0;
    int contentHeight_ = 0;
    int hoverRow_ = -1;
    // The list line under the mouse when it last moved, -1 for none: a move onto another line
    // repaints the highlight.
    int hoverLine_ = -1;
    bool hoverUndeleteAll_ = false;
    bool hoverDeleteNow_ = false;
    int focusedButton_ = -1;
    // The focus mark shows from the keyboard's arrival until the mouse presses again.
    bool keyboardCues_ = false;
};

}  // namespace deleting
