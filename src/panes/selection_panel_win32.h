#pragma once

// The selection panel: one small tool window per process, titled "Selection", showing where the
// chosen node sits in the tree, one row for the root, each folder on the way down and the node
// itself, indented by depth, with their values. A click on a row chooses that folder. The main
// window makes its window on first use and afterwards only hides and shows it; the close box
// hides it too. Windows only; user-interface thread only.

#include "panes/inspector_rows.h"
#include "scan/node_store.h"
#include "ui/drawing_win32.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace panes {

inline constexpr const wchar_t* kSelectionPanelClass = L"RozovizovSelectionPanel";

class SelectionPanel {
  public:
    // The one panel of the process, made on first use and kept until the process ends.
    static SelectionPanel& instance();

    // A click on a row, with that row's node.
    std::function<void(std::int32_t node)> onRowClicked;

    // The procedure of kSelectionPanelClass. Messages of a window not yet attached go to the
    // default procedure.
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    // Binds the panel to the window the main window made for it. The binding ends when that
    // window is destroyed (with its owner), and a later window may be attached.
    void attach(HWND window);
    HWND window() const { return window_; }
    // Whether the window exists and is visible.
    bool shown() const;

    // Rebuilds the rows for `node` of `store`, each valued by `valueText`, and repaints. A node
    // that is negative or not published empties the panel.
    void showNode(const scan::NodeStore& store, std::int32_t node,
                  const std::function<std::u16string(scan::NodeId)>& valueText);
    // Empties the rows and repaints.
    void clearPanel();

    const std::vector<ChainRow>& rows() const { return rows_; }
    std::int32_t hoveredRow() const { return hovered_; }
    // The height of a row in the window's pixels.
    int rowHeight() const;

  private:
    SelectionPanel() = default;
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void onPaint();
    void onMouseMove(int y);
    void onButtonDown(int y);
    void repaint();

    HWND window_ = nullptr;
    std::vector<ChainRow> rows_;
    std::int32_t hovered_ = -1;
    ui::BackBuffer buffer_;
};

}  // namespace panes
