#pragma once

// The information panel: one small tool window per process, titled "Information", listing what
// is known about the node the user chose last: its kind, its sizes, for a folder the files it
// holds, its times and attributes as the file system reports them now, and its path. The main
// window makes its window on first use and afterwards only hides and shows it; the close box
// hides it too. Windows only; user-interface thread only.

#include "panes/inspector_rows.h"
#include "panes/tool_panel_win32.h"
#include "scan/node_store.h"
#include "ui/drawing_win32.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace panes {

inline constexpr const wchar_t* kInformationPanelClass = L"RozovizovInformationPanel";

class InformationPanel : public ToolPanel {
  public:
    // The one panel of the process, made on first use and kept until the process ends.
    static InformationPanel& instance();

    // Fills the panel for `node` of `store` and repaints; `sizeText` is the node's value as the
    // views show it. Asks the file system afresh for the times and attributes. A node that is
    // negative or not published leaves the panel as it was.
    void showNode(const scan::NodeStore& store, std::int32_t node, const std::u16string& sizeText);
    // Empties the heading and the lines and repaints.
    void clearPanel();

    const std::u16string& title() const { return information_.title; }
    const std::vector<InfoRow>& rows() const { return information_.rows; }

  private:
    InformationPanel() = default;
    void paint(HDC buffer, const RECT& client) override;

    Information information_;
};

}  // namespace panes
