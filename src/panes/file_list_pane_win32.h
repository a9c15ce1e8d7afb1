#pragma once

// The file list's child window: the folder tree of the current scan beside the treemap, with its
// header buttons, chevrons, kind squares, names and values. What it decides lives in
// FileListModel; this class owns the window, paints, keeps the scroll bars and forwards input,
// and reports user actions to the main window through its function objects. Windows only;
// user-interface thread only.

#include "panes/file_list_model.h"
#include "treemap/kind_colours.h"
#include "ui/drawing_win32.h"
#include "ui/pane_window_win32.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace panes {

inline constexpr const wchar_t* kFileListClass = L"RozovizovTreePane";

// The pictures of the header buttons (RCDATA resources of the program).
inline constexpr int kCollapseAllImage = 400;
inline constexpr int kKindsShownImage = 401;
inline constexpr int kKindsHiddenImage = 402;

class FileListPane : public ui::PaneWindow {
  public:
    FileListPane() = default;

    // Creates the pane as visible child `id` of `parent`. kFileListClass must have been
    // registered with PaneWindow::windowProcedure.
    bool create(HWND parent, int id);

    // Shows a store (not owned; it must stay until the next attach) under `rootLabel`, or none.
    void attach(const scan::NodeStore* store, std::u16string rootLabel);
    void resetView();
    void collapseAll();
    void toggleExpanded(scan::NodeId node);
    // Opens the folders above `node` and selects its row, centred; tells the owner. False when
    // the selection stayed as it was (the row was selected already, or the list has no such row).
    bool reveal(std::int64_t node);
    void selectRow(std::int64_t index, bool centre);
    // Chooses nothing; true (after the selection notice) when anything was chosen.
    bool clearSelection();
    void refresh();
    // A new data generation (the main window's progress tick), then a refresh.
    void setGeneration(std::int32_t generation);
    // A new measure: every sorted list goes, the list refreshes and collapses, and the focus row
    // (when there is one) is revealed again.
    void setMeasure(scan::Measure measure);
    void setValueHeader(std::u16string caption);
    void setKindsShown(bool shown);
    void setSmallFont(bool small);
    void setColours(const treemap::KindColours* colours) { colours_ = colours; }

    std::int32_t focus() const { return model_.focus(); }
    // The selected nodes in ascending order.
    std::vector<std::int32_t> selectedNodes() const;
    const FileListModel& model() const { return model_; }
    // Where a menu for the focus row opens from the keyboard: the row's lower left corner in
    // screen coordinates, kept inside the pane; none without a focus row.
    std::optional<POINT> focusMenuPoint() const;
    const std::u16string& valueHeader() const { return valueHeader_; }
    const std::u16string& rootLabel() const { return rootLabel_; }
    bool kindsShown() const { return kindsShown_; }
    int hoveredButton() const { return hoveredButton_; }

    // The value column's number for a node; the store's value under the measure when not set.
    std::function<std::int64_t(scan::NodeId)> valueOf;
    // After every selection by keyboard, click or reveal, with the new focus.
    std::function<void(std::int32_t focus)> onSelectionChanged;
    std::function<void()> onCollapseAll;
    std::function<void()> onToggleKinds;

  private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void updateMetrics();
    // The header's two buttons: 0 shows or hides the kinds pane, 1 collapses every folder.
    static constexpr int kHeaderButtons = 2;
    RECT headerButton(int button) const;
    void updateScrollBars();
    void changed(bool selectionChanged);
    void onMouseMove(int x, int y);
    void onLeftDown(int x, int y);
    void onRightDown(int x, int y);
    void onWheel(int delta);
    void onScroll(int bar, int code);
    // Painting (file_list_painting_win32.cpp).
    void onPaint();
    void paintHeader(HDC dc, int width);
    void paintRows(HDC dc, int width, int height);
    void measureContentWidth(HDC dc);
    HFONT rowFont() const;

    FileListModel model_;
    const treemap::KindColours* colours_ = nullptr;
    std::u16string rootLabel_;
    std::u16string valueHeader_ = u"Size";
    bool kindsShown_ = true;
    bool smallFont_ = false;
    int hoveredButton_ = -1;
    bool trackingLeave_ = false;
    // What the scroll bars were last given; a maximum of -1 forces the first update.
    ScrollBarRange shownVertical_{1, -1, 0, 0};
    ScrollBarRange shownHorizontal_{1, -1, 0, 0};
    // Name widths in pixels plus one, by node (0: not measured yet), for the content width, and
    // what they were measured with.
    std::vector<std::uint16_t> nameWidths_;
    HFONT measuredFont_ = nullptr;
    std::uint64_t measuredRows_ = ~std::uint64_t{0};
};

}  // namespace panes
