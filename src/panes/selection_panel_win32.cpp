#include "panes/selection_panel_win32.h"

#include "scan/volumes.h"
#include "ui/theme_win32.h"

#include <windowsx.h>

namespace panes {

namespace {

// Lengths at 96 DPI.
constexpr int kRowHeight = 22;
constexpr int kIndent = 10;
constexpr int kIndentPerLevel = 12;
constexpr int kValueWidth = 110;
constexpr int kValueMargin = 10;

}  // namespace

SelectionPanel& SelectionPanel::instance() {
    static SelectionPanel panel;
    return panel;
}

int SelectionPanel::rowHeight() const {
    return ui::scaled(window(), kRowHeight);
}

void SelectionPanel::windowGone() {
    hovered_ = -1;
}

LRESULT SelectionPanel::handleOther(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            onMouseMove(GET_Y_LPARAM(lParam));
            return 0;
        case WM_LBUTTONDOWN:
            onButtonDown(GET_Y_LPARAM(lParam));
            return 0;
        default:
            return DefWindowProcW(window(), message, wParam, lParam);
    }
}

void SelectionPanel::showNode(const scan::NodeStore& store, std::int32_t node,
                              const std::function<std::u16string(scan::NodeId)>& valueText) {
    rows_ = chainOf(store, node, valueText, scan::pathSeparator());
    repaint();
}

void SelectionPanel::clearPanel() {
    rows_.clear();
    repaint();
}

void SelectionPanel::onMouseMove(int y) {
    // No leave tracking: the row stays lit after the pointer has left, until it comes back.
    const std::int32_t hit = chainRowAt(y, rowHeight(), rows_.size());
    if (hit != hovered_) {
        hovered_ = hit;
        repaint();
    }
}

void SelectionPanel::onButtonDown(int y) {
    const std::int32_t hit = chainRowAt(y, rowHeight(), rows_.size());
    if (hit >= 0 && onRowClicked) {
        // The answer may rebuild the rows, so the node is taken first.
        const auto node = static_cast<std::int32_t>(rows_[static_cast<std::size_t>(hit)].node);
        onRowClicked(node);
    }
}

void SelectionPanel::paint(HDC buffer, const RECT& client) {
    const ui::Palette& colours = ui::palette();
    const auto s = [this](int length) { return ui::scaled(window(), length); };
    const int width = client.right;
    const int height = rowHeight();
    FillRect(buffer, &client, ui::brushFor(colours.paneBackground));
    const HFONT font = ui::uiFont(window(), ui::FontStyle::Regular);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const int top = height * static_cast<int>(i);
        if (top >= client.bottom) {
            break;
        }
        const ChainRow& row = rows_[i];
        const RECT cell{0, top, width, top + height};
        if (static_cast<std::int32_t>(i) == hovered_) {
            FillRect(buffer, &cell, ui::brushFor(colours.hover));
        }
        const RECT name{s(kIndent + kIndentPerLevel * row.depth), top, width - s(kValueWidth),
                        top + height};
        ui::drawLabel(buffer, row.name, name, colours.text, font,
                      DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_PATH_ELLIPSIS);
        const RECT value{width - s(kValueWidth), top, width - s(kValueMargin), top + height};
        ui::drawLabel(buffer, row.value, value, colours.dimText, font,
                      DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    }
}

}  // namespace panes
