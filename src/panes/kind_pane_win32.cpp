#include "panes/kind_pane_win32.h"

#include "scan/file_kinds.h"
#include "ui/formats.h"
#include "ui/theme_win32.h"

#include <windowsx.h>

namespace panes {

namespace {

ScrollAction scrollActionOf(WORD code) {
    switch (code) {
        case SB_LINEUP:
            return ScrollAction::LineUp;
        case SB_LINEDOWN:
            return ScrollAction::LineDown;
        case SB_PAGEUP:
            return ScrollAction::PageUp;
        case SB_PAGEDOWN:
            return ScrollAction::PageDown;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            return ScrollAction::Track;
        default:
            return ScrollAction::None;
    }
}

}  // namespace

bool KindPane::create(HWND parent, int id) {
    return createChild(kKindPaneClass, WS_VISIBLE | WS_VSCROLL, parent, id);
}

LRESULT KindPane::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
        // A new DPI changes the row and header heights even where the pane keeps its size.
        case WM_DPICHANGED_AFTERPARENT:
            updateScrollBar();
            InvalidateRect(window(), nullptr, FALSE);
            return 0;
        case WM_PAINT:
            onPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_VSCROLL:
            onVerticalScroll(LOWORD(wParam));
            return 0;
        case WM_MOUSEWHEEL:
            onWheel(GET_WHEEL_DELTA_WPARAM(wParam));
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(window());
            onButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_KEYDOWN:
            if (table_.key(static_cast<int>(wParam))) {
                updateScrollBar();
                InvalidateRect(window(), nullptr, FALSE);
            }
            return 0;
        default:
            return DefWindowProcW(window(), message, wParam, lParam);
    }
}

void KindPane::reloadRows() {
    if (scanner_ == nullptr) {
        table_.setRows({});
    } else {
        table_.setRows(scan::kindTotals(scanner_->kindTotals(), measure_, useLogicalSize_));
    }
    updateScrollBar();
    InvalidateRect(window(), nullptr, FALSE);
}

void KindPane::updateScrollBar() {
    if (window() == nullptr) {
        return;
    }
    RECT client{};
    GetClientRect(window(), &client);
    table_.setGeometry(client.bottom, KindPaneMetrics::at(ui::windowDpi(window()), smallFont_));
    const ScrollRange range = table_.scrollRange();
    setScrollBar(SB_VERT, range.maximum, range.page, range.position);
}

void KindPane::onVerticalScroll(WORD code) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(window(), SB_VERT, &info);
    table_.scroll(scrollActionOf(code), info.nTrackPos);
    updateScrollBar();
    InvalidateRect(window(), nullptr, FALSE);
}

void KindPane::onWheel(short delta) {
    table_.wheel(delta, ui::wheelScrollLines());
    updateScrollBar();
    InvalidateRect(window(), nullptr, FALSE);
}

void KindPane::onButtonDown(int x, int y) {
    if (y >= table_.metrics().headerHeight) {
        return;
    }
    RECT client{};
    GetClientRect(window(), &client);
    const std::optional<KindColumn> column =
        KindColumns::forWidth(client.right, table_.metrics()).columnAt(x);
    if (column) {
        table_.clickHeader(*column);
        InvalidateRect(window(), nullptr, FALSE);
    }
}

void KindPane::onPaint() {
    paintBuffered([this](HDC buffer, const RECT& client) {
        FillRect(buffer, &client, ui::brushFor(ui::palette().paneBackground));
        const KindColumns columns = KindColumns::forWidth(client.right, table_.metrics());
        paintRows(buffer, client.right, client.bottom, columns);
        paintHeader(buffer, client.right, columns);
        // Nothing in the pane is chosen, so the keyboard's presence shows as a frame round it.
        if (GetFocus() == window()) {
            ui::drawFrame(buffer, client, ui::palette().focusMark, 2);
        }
    });
}

void KindPane::paintHeader(HDC dc, int width, const KindColumns& columns) {
    const ui::Palette& colours = ui::palette();
    const KindPaneMetrics& m = table_.metrics();
    const RECT header{0, 0, width, m.headerHeight};
    FillRect(dc, &header, ui::brushFor(colours.headerBackground));
    const RECT line{0, m.headerHeight - 1, width, m.headerHeight};
    FillRect(dc, &line, ui::brushFor(colours.line));
    const HFONT font = ui::uiFont(window(), ui::FontStyle::Regular);
    const struct {
        KindColumn column;
        int left;
        int right;
        UINT align;
    } captions[] = {
        {KindColumnName, columns.kindLeft, columns.sizeLeft, DT_LEFT},
        {KindColumnSize, columns.sizeLeft, columns.filesLeft, DT_RIGHT},
        {KindColumnFiles, columns.filesLeft, columns.filesRight, DT_RIGHT},
    };
    for (const auto& caption : captions) {
        const RECT cell{caption.left + m.padding, 0, caption.right - m.padding, m.headerHeight - 1};
        ui::drawLabel(dc, table_.caption(caption.column), cell, colours.headerText, font,
                      caption.align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
}

void KindPane::paintRows(HDC dc, int width, int height, const KindColumns& columns) {
    const ui::Palette& colours = ui::palette();
    const KindPaneMetrics& m = table_.metrics();
    const HFONT font =
        ui::uiFont(window(), smallFont_ ? ui::FontStyle::Small : ui::FontStyle::Regular);
    const std::vector<KindRow>& rows = table_.rows();
    const KindTable::FirstRow first = table_.firstRow();
    int top = first.top;
    for (std::size_t i = first.index; i < rows.size() && top < height; ++i, top += m.rowHeight) {
        const KindRow& row = rows[i];
        const int bottom = top + m.rowHeight;
        const RECT cell{0, top, width, bottom};
        FillRect(dc, &cell,
                 ui::brushFor(i % 2 == 0 ? colours.paneBackground : colours.alternateRow));
        if (colours_ != nullptr) {
            const int squareTop = top + (m.rowHeight - m.square) / 2;
            const RECT square{m.squareLeft, squareTop, m.squareLeft + m.square,
                              squareTop + m.square};
            FillRect(dc, &square, ui::brushFor(ui::colourWordOf(colours_->colourOf(row.kind))));
        }
        const RECT name{columns.kindLeft + m.kindIndent, top, columns.sizeLeft - m.padding, bottom};
        ui::drawLabel(dc, scan::kindName(row.kind), name, colours.text, font,
                      DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        const RECT size{columns.sizeLeft, top, columns.filesLeft - m.padding, bottom};
        ui::drawLabel(dc, ui::sizeText(row.total), size, colours.text, font,
                      DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        const RECT files{columns.filesLeft, top, columns.filesRight - m.padding, bottom};
        ui::drawLabel(dc, ui::countText(row.files), files, colours.dimText, font,
                      DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
}

}  // namespace panes
