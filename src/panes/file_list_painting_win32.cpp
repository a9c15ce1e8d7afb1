// How the file list paints: the header with its picture buttons and captions, the striped rows
// with chevrons, kind squares, names and values, and the line before the value column, all into
// a back buffer copied once.

#include "panes/file_list_pane_win32.h"
#include "panes/inspector_rows.h"

#include "ui/formats.h"
#include "ui/images_win32.h"
#include "ui/palette.h"
#include "ui/theme_win32.h"

#include <algorithm>

namespace panes {

namespace {

// Metrics at 96 DPI.
constexpr int kColumnGap = 6;
constexpr int kImageSize = 15;
constexpr int kCaptionLeft = 43 + 8;
constexpr int kValueRightMargin = 8;
constexpr int kSquare = 10;
constexpr int kNameGap = 5;
constexpr int kNameRightMargin = 4;
constexpr int kWidthAllowance = 40;

void fill(HDC dc, int left, int top, int right, int bottom, std::uint32_t colour) {
    const RECT r{left, top, right, bottom};
    FillRect(dc, &r, ui::brushFor(colour));
}

void drawChevron(HDC dc, int x0, int top, int bottom, bool expanded, int penWidth, int size,
                 std::uint32_t colour) {
    const int cx = (size + 2 * x0) / 2;
    const int cy = (top + bottom) / 2;
    const int l = size / 4;
    const int j = l / 2;
    POINT points[3];
    if (expanded) {
        points[0] = {cx - l, cy - j};
        points[1] = {cx, cy + l - j};
        points[2] = {cx + l, cy - j};
    } else {
        points[0] = {cx - j, cy - l};
        points[1] = {cx + l - j, cy};
        points[2] = {cx - j, cy + l};
    }
    const HPEN pen = CreatePen(PS_SOLID, penWidth, colour);
    const HGDIOBJ previous = SelectObject(dc, pen);
    Polyline(dc, points, 3);
    SelectObject(dc, previous);
    DeleteObject(pen);
}

}  // namespace

HFONT FileListPane::rowFont() const {
    return ui::uiFont(window(), smallFont_ ? ui::FontStyle::Small : ui::FontStyle::Regular);
}

void FileListPane::onPaint() {
    paintBuffered([this](HDC buffer, const RECT& client) {
        updateMetrics();
        const ui::Palette& colours = ui::palette();
        fill(buffer, 0, 0, client.right, client.bottom, colours.paneBackground);
        if (model_.store() != nullptr) {
            measureContentWidth(buffer);
            paintRows(buffer, client.right, client.bottom);
        }
        // After the rows: a row scrolled part of the way out slides under the header.
        paintHeader(buffer, client.right);
        const ListMetrics& metrics = model_.metrics();
        const int line = client.right - metrics.valueColumn - ui::scaled(window(), kColumnGap);
        fill(buffer, line, metrics.headerHeight, line + 1, client.bottom, colours.line);
    });
}

// The widest row decides the horizontal scroll range. Names are measured once per node and
// font, so a repaint, or a rebuild after the scan grew, measures only rows not seen before.
void FileListPane::measureContentWidth(HDC dc) {
    const HFONT font = rowFont();
    if (font != measuredFont_) {
        nameWidths_.clear();
        measuredFont_ = font;
        measuredRows_ = ~std::uint64_t{0};
    }
    if (measuredRows_ == model_.rowsVersion()) {
        return;
    }
    measuredRows_ = model_.rowsVersion();
    const scan::NodeStore& store = *model_.store();
    const HGDIOBJ previous = SelectObject(dc, font);
    const int allowance = ui::scaled(window(), kWidthAllowance);
    const int indent = model_.metrics().indent;
    int widest = 0;
    for (const ListRow& row : model_.rows()) {
        if (row.node >= nameWidths_.size()) {
            nameWidths_.resize(std::max<std::size_t>(row.node + 1, nameWidths_.size() * 2));
        }
        std::uint16_t& width = nameWidths_[row.node];
        if (width == 0) {
            const std::u16string_view name =
                row.node == 0 ? std::u16string_view(rootLabel_) : store.nameView(row.node);
            SIZE extent{};
            GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(name.data()),
                                  static_cast<int>(name.size()), &extent);
            width = static_cast<std::uint16_t>(std::clamp<LONG>(extent.cx, 0, 0xFFFE) + 1);
        }
        widest = std::max(widest, allowance + indent * row.depth + (width - 1));
    }
    SelectObject(dc, previous);
    if (model_.setContentWidth(widest)) {
        updateScrollBars();
    }
}

void FileListPane::paintHeader(HDC dc, int width) {
    const ui::Palette& colours = ui::palette();
    const ListMetrics& metrics = model_.metrics();
    const int height = metrics.headerHeight;
    fill(dc, 0, 0, width, height, colours.headerBackground);
    fill(dc, 0, height - 1, width, height, colours.line);
    const int images[kHeaderButtons] = {kindsShown_ ? kKindsShownImage : kKindsHiddenImage,
                                        kCollapseAllImage};
    for (int i = 0; i < kHeaderButtons; ++i) {
        const RECT place = headerButton(i);
        if (hoveredButton_ == i) {
            FillRect(dc, &place, ui::brushFor(colours.hover));
        }
        ui::drawTintedImage(dc, images[i], place, ui::scaled(window(), kImageSize),
                            colours.headerText);
    }
    const HFONT font = ui::uiFont(window(), ui::FontStyle::Regular);
    const int valueLeft = width - metrics.valueColumn;
    const int line = valueLeft - ui::scaled(window(), kColumnGap);
    // The caption stops short of the column line, cut with an ellipsis in a narrow list, so it
    // never runs into the value column's caption.
    ui::drawLabel(dc, u"Name",
                  RECT{ui::scaled(window(), kCaptionLeft), 0,
                       line - ui::scaled(window(), kColumnGap), height - 1},
                  colours.headerText, font, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    ui::drawLabel(dc, valueHeader_,
                  RECT{valueLeft, 0, width - ui::scaled(window(), kValueRightMargin), height - 1},
                  colours.headerText, font,
                  DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_END_ELLIPSIS);
    fill(dc, line, ui::scaled(window(), 3), line + 1, height - ui::scaled(window(), 4),
         colours.line);
}

void FileListPane::paintRows(HDC dc, int width, int height) {
    const ui::Palette& colours = ui::palette();
    const ListMetrics& metrics = model_.metrics();
    const scan::NodeStore& store = *model_.store();
    const std::vector<ListRow>& rows = model_.rows();
    const HFONT font = rowFont();
    const int valueLeft = width - metrics.valueColumn;
    const int expander = metrics.expander;
    const int penWidth = std::max(1, expander / 8);
    const int square = ui::scaled(window(), kSquare);
    // Names, chevrons and squares scroll sideways under the value column's edge.
    const HRGN nameColumn = CreateRectRgn(0, metrics.headerHeight, valueLeft, height);
    // As the platform's lists do: the selection in the accent while the list has the keyboard,
    // in a quiet grey while it does not.
    const bool focused = GetFocus() == window();
    const std::uint32_t selectedFill = focused ? colours.accent : colours.inactiveSelection;
    const std::uint32_t selectedInk = focused ? colours.accentText : colours.text;
    int top = model_.firstVisibleTop();
    for (std::int64_t index = model_.firstVisibleRow();
         top < height && index < static_cast<std::int64_t>(rows.size());
         ++index, top += metrics.rowHeight) {
        const ListRow& row = rows[static_cast<std::size_t>(index)];
        const int bottom = top + metrics.rowHeight;
        const bool selected = model_.isSelected(row.node);
        const std::uint32_t background = selected         ? selectedFill
                                         : index % 2 == 1 ? colours.alternateRow
                                                          : colours.paneBackground;
        fill(dc, 0, top, width, bottom, background);
        // A lone selected row needs no frame to say it is the focus.
        if (focused && static_cast<std::int32_t>(row.node) == model_.focus() &&
            (!selected || model_.selection().size() > 1)) {
            ui::drawFrame(dc, RECT{0, top, width, bottom},
                          selected ? colours.accentText : colours.focusMark, 1);
        }
        const std::uint32_t ink = selected ? selectedInk : colours.text;

        SelectClipRgn(dc, nameColumn);
        const int x0 = metrics.margin + metrics.indent * row.depth - model_.scrollX();
        if (row.expandable) {
            drawChevron(dc, x0, top, bottom, model_.isExpanded(row.node), penWidth, expander,
                        selected ? selectedInk : colours.dimText);
        }
        const int x1 = x0 + ui::scaled(window(), 2) + expander;
        if (colours_ != nullptr) {
            const int squareTop = top + (metrics.rowHeight - square) / 2;
            fill(dc, x1, squareTop, x1 + square, squareTop + square,
                 ui::colourWordOf(colours_->colourOf(store.kind.get(row.node))));
        }
        const std::u16string_view name =
            row.node == 0 ? std::u16string_view(rootLabel_) : store.nameView(row.node);
        ui::drawLabel(dc, name,
                      RECT{x1 + square + ui::scaled(window(), kNameGap), top,
                           valueLeft - ui::scaled(window(), kNameRightMargin), bottom},
                      ink, font, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectClipRgn(dc, nullptr);

        const std::int64_t value = valueOf ? valueOf(row.node) : model_.valueOf(row.node);
        const bool unread = couldNotBeRead(store, row.node);
        ui::drawLabel(dc, listValueText(store, row.node, value),
                      RECT{valueLeft, top, width - ui::scaled(window(), kValueRightMargin), bottom},
                      unread && !selected ? colours.dimText : ink, font,
                      DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    }
    DeleteObject(nameColumn);
}

}  // namespace panes
