#pragma once

// The selection panel: one small tool window per process, titled "Selection", showing where the
// chosen node sits in the tree, one row for the root, each folder on the way down and the node
// itself, indented by depth, with their values. A click on a row chooses that folder. The main
// window makes its window on first use and afterwards only hides and shows it; the close box
// hides it too. Windows only; user-interface thread only.

#include "panes/inspector_rows.h"
#include "panes/tool_panel_win32.h"
#include "scan/node_store.h"
#include "ui/drawing_win32.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace panes {

inline constexpr const wchar_t* kSelectionPanelClass = L"RozovizovSelectionPanel";

class SelectionPanel : public ToolPanel {
  public:
    // The one panel of the process, made on first use and kept until the process ends.
    static SelectionPanel& instance();

    // A click on a row, with that row's node.
    std::function<void(std::int32_t node)> onRowClicked;

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
    void paint(HDC buffer, const RECT& client) override;
    LRESULT handleOther(UINT message, WPARAM wParam, LPARAM lParam) override;
    void windowGone() override;
    void onMouseMove(int y);
    void onButtonDown(int y);

    std::vector<ChainRow> rows_;
    std::int32_t hovered_ = -1;
};

}  // namespace panes
