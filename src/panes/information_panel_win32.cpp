#include "panes/information_panel_win32.h"

#include "panes/file_facts_win32.h"
#include "scan/volumes.h"
#include "ui/theme_win32.h"

namespace panes {

namespace {

// Lengths at 96 DPI.
constexpr int kMargin = 16;
constexpr int kTitleHeight = 26;
constexpr int kTitleGap = 10;
constexpr int kLineHeight = 22;
constexpr int kLabelWidth = 92;
constexpr int kLabelGap = 10;

}  // namespace

InformationPanel& InformationPanel::instance() {
    static InformationPanel panel;
    return panel;
}

void InformationPanel::showNode(const scan::NodeStore& store, std::int32_t node,
                                const std::u16string& sizeText) {
    if (node < 0 || static_cast<std::uint64_t>(node) >= store.publishedCount()) {
        return;
    }
    const auto row = static_cast<scan::NodeId>(node);
    const std::u16string path = store.pathOf(row, scan::pathSeparator());
    information_ = informationFor(store, row, path, sizeText, fileFactsOf(path));
    repaint();
}

void InformationPanel::clearPanel() {
    information_ = {};
    repaint();
}

void InformationPanel::paint(HDC buffer, const RECT& client) {
    const ui::Palette& colours = ui::palette();
    const auto s = [this](int length) { return ui::scaled(window(), length); };
    const int width = client.right;
    FillRect(buffer, &client, ui::brushFor(colours.paneBackground));
    const RECT title{s(kMargin), s(kMargin), width - s(kMargin), s(kMargin + kTitleHeight)};
    ui::drawLabel(buffer, information_.title, title, colours.text,
                  ui::uiFont(window(), ui::FontStyle::LargeHeading),
                  DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS | DT_TOP);
    const HFONT font = ui::uiFont(window(), ui::FontStyle::Regular);
    int y = s(kMargin + kTitleHeight + kTitleGap);
    for (const InfoRow& row : information_.rows) {
        if (y >= client.bottom) {
            break;
        }
        const int bottom = y + s(kLineHeight);
        const RECT label{s(kMargin), y, s(kMargin + kLabelWidth), bottom};
        ui::drawLabel(buffer, row.label, label, colours.dimText, font,
                      DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
        const RECT value{s(kMargin + kLabelWidth + kLabelGap), y, width - s(kMargin), bottom};
        const UINT ellipsis = row.label == u"Path" ? DT_PATH_ELLIPSIS : DT_END_ELLIPSIS;
        ui::drawLabel(buffer, row.value, value, colours.text, font,
                      DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | ellipsis);
        y = bottom;
    }
}

}  // namespace panes
