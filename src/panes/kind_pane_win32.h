#pragma once

// The file kinds pane: a child window beside the file list with one row per kind of file in the
// scan, its colour square, name, total under the measure and file count, sorted by a click on a
// header caption (or the arrow keys) and scrolled vertically. It only shows; nothing in it can be
// selected. What it decides lives in KindTable. Windows only; user-interface thread only.

#include "panes/kind_table.h"
#include "scan/measures.h"
#include "scan/scanner.h"
#include "treemap/kind_colours.h"
#include "ui/drawing_win32.h"
#include "ui/pane_window_win32.h"

#include <windows.h>

namespace panes {

inline constexpr const wchar_t* kKindPaneClass = L"RozovizovKindPane";

class KindPane : public ui::PaneWindow {
  public:
    KindPane() = default;

    // Creates the pane as the visible child `id` of `parent`, at the origin with no size. The
    // class kKindPaneClass must have been registered with PaneWindow::windowProcedure.
    bool create(HWND parent, int id);

    // The scan whose totals the rows come from, or none; not owned. The rows stay until the next
    // reload.
    void setScanner(const scan::Scanner* scanner) { scanner_ = scanner; }
    const scan::Scanner* scanner() const { return scanner_; }
    // The colours of the squares, or none for no squares; not owned.
    void setColours(const treemap::KindColours* colours) { colours_ = colours; }
    void setMeasure(scan::Measure measure) { measure_ = measure; }
    // For the current size: file lengths instead of bytes on disk.
    void setUseLogicalSize(bool logical) { useLogicalSize_ = logical; }
    // Smaller text and rows, from the next reload on.
    void setSmallFont(bool small) { smallFont_ = small; }

    // Takes the rows afresh from the scan's totals (none without a scan), sorts them, updates
    // the scroll bar and repaints.
    void reloadRows();

    const KindTable& table() const { return table_; }

  private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void updateScrollBar();
    void onPaint();
    void paintHeader(HDC dc, int width, const KindColumns& columns);
    void paintRows(HDC dc, int width, int height, const KindColumns& columns);
    void onVerticalScroll(WORD code);
    void onWheel(short delta);
    void onButtonDown(int x, int y);

    const scan::Scanner* scanner_ = nullptr;
    const treemap::KindColours* colours_ = nullptr;
    scan::Measure measure_ = scan::MeasureCurrentSize;
    bool useLogicalSize_ = false;
    bool smallFont_ = false;
    KindTable table_;
};

}  // namespace panes
