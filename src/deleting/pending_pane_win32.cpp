#include "deleting/pending_pane_win32.h"

#include "scan/wide_text_win32.h"
#include "ui/formats.h"
#include "ui/theme_win32.h"

#include <windowsx.h>

#include <algorithm>

namespace deleting {

namespace {

void fill(HDC dc, const Box& box, std::uint32_t colour) {
    const RECT rect = ui::toRect(box);
    FillRect(dc, &rect, ui::brushFor(colour));
}

void drawDisc(HDC dc, const Box& box, double fraction, std::uint32_t background,
              std::uint32_t filled, std::uint32_t empty) {
    const int size = box.right - box.left;
    const std::vector<std::uint32_t> pixels =
        countdownPixels(size, fraction, background, filled, empty);
    if (pixels.empty()) {
        return;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, box.left, box.top, static_cast<DWORD>(size), static_cast<DWORD>(size), 0,
                      0, 0, static_cast<UINT>(size), pixels.data(), &info, DIB_RGB_COLORS);
}

}  // namespace

bool PendingPane::create(HWND parent, int id, PendingDeletes* model) {
    model_ = model;
    return createChild(kPendingPaneClass, WS_VSCROLL, parent, id);
}

LRESULT PendingPane::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            onPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETCURSOR:
            if (anyHovered()) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            return DefWindowProcW(window(), message, wParam, lParam);
        case WM_VSCROLL:
            onScroll(wParam);
            return 0;
        case WM_SIZE:
            recount();
            InvalidateRect(window(), nullptr, FALSE);
            return 0;
        case WM_MOUSEMOVE:
            onMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(window());
            keyboardCues_ = false;
            onButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_KEYDOWN:
            onKey(wParam);
            return 0;
        case WM_MOUSEWHEEL:
            scrollTo(offset_ - metrics().wheelStep * GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
            return 0;
        case WM_MOUSELEAVE:
            hoverRow_ = -1;
            hoverLine_ = -1;
            hoverUndeleteAll_ = false;
            hoverDeleteNow_ = false;
            InvalidateRect(window(), nullptr, FALSE);
            return 0;
        default:
            return DefWindowProcW(window(), message, wParam, lParam);
    }
}

PaneMetrics PendingPane::metrics() const {
    return PaneMetrics::at(ui::windowDpi(window()));
}

void PendingPane::recount() {
    if (window() == nullptr || model_ == nullptr) {
        return;
    }
    const PaneMetrics m = metrics();
    RECT client{};
    GetClientRect(window(), &client);
    const int count = static_cast<int>(model_->items().size());
    contentHeight_ = count * m.row;
    const int page = pageHeight(m, client.bottom);
    offset_ = clampOffset(m, offset_, count, client.bottom);
    setScrollBar(SB_VERT, contentHeight_ < 2 ? 0 : contentHeight_ - 1, page, offset_);
}

void PendingPane::scrollTo(int offset) {
    offset_ = offset;
    recount();
    InvalidateRect(window(), nullptr, FALSE);
}

void PendingPane::onScroll(WPARAM request) {
    RECT client{};
    GetClientRect(window(), &client);
    const PaneMetrics m = metrics();
    scrollTo(static_cast<int>(
        scrolledPosition(SB_VERT, LOWORD(request), offset_, m.row, pageHeight(m, client.bottom))));
}

PendingPane::Hit PendingPane::hitTest(int x, int y) const {
    Hit hit;
    RECT client{};
    GetClientRect(window(), &client);
    const PaneMetrics m = metrics();
    const FooterButtons footer = footerButtonsNow();
    hit.undeleteAll = footer.undeleteAll.contains(x, y);
    hit.deleteNow = footer.deleteNow.contains(x, y);
    const int count = model_ == nullptr ? 0 : static_cast<int>(model_->items().size());
    hit.line = lineAt(m, client.bottom, offset_, count, y);
    if (hit.line >= 0 && rowButtonNow(hit.line).contains(x, y)) {
        hit.rowButton = hit.line;
    }
    return hit;
}

FooterButtons PendingPane::footerButtonsNow() const {
    RECT client{};
    GetClientRect(window(), &client);
    return footerButtons(metrics(), client.right, client.bottom);
}

Box PendingPane::rowButtonNow(int index) const {
    RECT client{};
    GetClientRect(window(), &client);
    const PaneMetrics m = metrics();
    return rowBoxes(m, client.right, m.header + index * m.row - offset_).button;
}

void PendingPane::onMouseMove(int x, int y) {
    const Hit hit = hitTest(x, y);
    if (hit.rowButton != hoverRow_ || hit.undeleteAll != hoverUndeleteAll_ ||
        hit.deleteNow != hoverDeleteNow_) {
        hoverRow_ = hit.rowButton;
        hoverUndeleteAll_ = hit.undeleteAll;
        hoverDeleteNow_ = hit.deleteNow;
        SetCursor(LoadCursorW(nullptr, anyHovered() ? IDC_HAND : IDC_ARROW));
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window(), 0};
        TrackMouseEvent(&track);
        InvalidateRect(window(), nullptr, FALSE);
    }
    // The row highlight follows the mouse, not only the buttons; a move within one line
    // changes nothing that is drawn.
    if (hit.line != hoverLine_) {
        hoverLine_ = hit.line;
        InvalidateRect(window(), nullptr, FALSE);
    }
}

void PendingPane::onButtonDown(int x, int y) {
    if (model_ == nullptr) {
        return;
    }
    // Against the list as it is now, not as it was last painted: an item that joined or left
    // since moved the rows, and the click belongs to the row that is there now.
    const Hit hit = hitTest(x, y);
    const int rows = static_cast<int>(model_->items().size());
    if (hit.undeleteAll) {
        press(rows);
    } else if (hit.deleteNow) {
        press(rows + 1);
    } else if (hit.rowButton >= 0) {
        press(hit.rowButton);
    }
}

int PendingPane::buttonCount() const {
    return model_ == nullptr ? 0 : static_cast<int>(model_->items().size()) + 2;
}

void PendingPane::press(int index) {
    const int rows = buttonCount() - 2;
    if (index < 0 || index >= rows + 2) {
        return;
    }
    focusedButton_ = index;
    if (index == rows + 1) {
        if (onDeleteNow) {
            onDeleteNow();
        }
        return;
    }
    if (index == rows) {
        model_->undeleteAll();
    } else {
        model_->undelete(static_cast<std::size_t>(index));
    }
    recount();
    // The keyboard stays where it was: on the next row's button, or on the footer's.
    focusedButton_ = std::min(focusedButton_, buttonCount() - 1);
    InvalidateRect(window(), nullptr, FALSE);
}

bool PendingPane::stepFocus(bool forward) {
    const int next = std::min(focusedButton_, buttonCount() - 1) + (forward ? 1 : -1);
    if (next < 0 || next >= buttonCount()) {
        return false;
    }
    keyboardCues_ = true;
    focusButton(next);
    return true;
}

void PendingPane::enterFocus(bool forward) {
    keyboardCues_ = true;
    focusButton(forward ? 0 : buttonCount() - 1);
}

void PendingPane::focusButton(int index) {
    if (buttonCount() == 0) {
        return;
    }
    focusedButton_ = std::clamp(index, 0, buttonCount() - 1);
    const int rows = buttonCount() - 2;
    if (focusedButton_ < rows) {
        // Scrolled so that the row stands wholly between the header and the footer.
        RECT client{};
        GetClientRect(window(), &client);
        const PaneMetrics m = metrics();
        const int top = focusedButton_ * m.row;
        const int page = pageHeight(m, client.bottom);
        if (top < offset_) {
            offset_ = top;
        } else if (top + m.row > offset_ + page) {
            offset_ = top + m.row - page;
        }
        recount();
    }
    InvalidateRect(window(), nullptr, FALSE);
}

void PendingPane::onKey(WPARAM key) {
    // The button the keyboard is on, kept within a list that may have shrunk since.
    const int current = std::min(focusedButton_, buttonCount() - 1);
    switch (key) {
        case VK_UP:
        case VK_LEFT:
            focusButton(current - 1);
            break;
        case VK_DOWN:
        case VK_RIGHT:
            focusButton(current + 1);
            break;
        case VK_HOME:
            focusButton(0);
            break;
        case VK_END:
            focusButton(buttonCount() - 1);
            break;
        case VK_RETURN:
        case VK_SPACE:
            press(current);
            break;
        default:
            return;
    }
    keyboardCues_ = true;
}

void PendingPane::onPaint() {
    paintBuffered([this](HDC dc, const RECT& client) {
        if (model_ != nullptr) {
            paintPane(dc, client.right, client.bottom);
        }
    });
}

void PendingPane::paintPane(HDC dc, int width, int height) {
    const ui::Palette& colours = ui::palette();
    const PaneMetrics m = metrics();
    fill(dc, {0, 0, width, height}, colours.paneBackground);

    const HFONT regular = ui::uiFont(window(), ui::FontStyle::Regular);
    ui::drawLabel(dc, u"Pending Deletes", {m.margin, 0, width - m.margin, m.header}, colours.text,
                  regular, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    fill(dc, {0, m.header - 1, width, m.header}, colours.line);

    const int count = static_cast<int>(model_->items().size());
    // Read from the pointer rather than kept from its last move, as a scroll moves the lines
    // under a pointer that stays.
    POINT mouse{};
    GetCursorPos(&mouse);
    ScreenToClient(window(), &mouse);
    const int hovered =
        mouse.x >= 0 && mouse.x < width ? lineAt(m, height, offset_, count, mouse.y) : -1;
    const HRGN clip = CreateRectRgn(0, m.header, width, std::max(m.header, height - m.footer));
    SelectClipRgn(dc, clip);
    const PaintedRows rows = paintedRows(m, height, offset_, count);
    for (int i = rows.first; i <= rows.last; ++i) {
        paintRow(dc, m, width, i, i == hovered);
    }
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);

    fill(dc, {0, height - m.footer, width, height - m.footer + 1}, colours.line);
    const FooterButtons footer = footerButtons(m, width, height);
    fill(dc, footer.undeleteAll, hoverUndeleteAll_ ? colours.hover : colours.chromeBackground);
    const RECT undeleteAll = ui::toRect(footer.undeleteAll);
    ui::drawFrame(dc, undeleteAll, colours.line, 1);
    ui::drawLabel(dc, u"Undelete All", undeleteAll, colours.text, regular,
                  DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
    fill(dc, footer.deleteNow, hoverDeleteNow_ ? kWarningHover : kWarningRed);
    ui::drawLabel(dc, u"Delete Now", ui::toRect(footer.deleteNow), kWhite, regular,
                  DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
    paintFocusMark(dc, m, width, height);
}

void PendingPane::paintFocusMark(HDC dc, const PaneMetrics& m, int width, int height) {
    if (!keyboardCues_ || GetFocus() != window() || focusedButton_ < 0) {
        return;
    }
    const int rows = buttonCount() - 2;
    const int index = std::min(focusedButton_, rows + 1);
    const FooterButtons footer = footerButtons(m, width, height);
    const Box button = index == rows       ? footer.undeleteAll
                       : index == rows + 1 ? footer.deleteNow
                                           : rowButtonNow(index);
    // The ring lies outside the button, so that it shows on the red one as well; a row's ring
    // stays between the header and the footer.
    const HRGN clip = CreateRectRgn(0, m.header, width, index < rows ? height - m.footer : height);
    SelectClipRgn(dc, clip);
    ui::drawFocusRing(dc, ui::toRect(button), ui::palette().focusMark, ui::windowDpi(window()));
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
}

void PendingPane::paintRow(HDC dc, const PaneMetrics& m, int width, int index, bool hovered) {
    const ui::Palette& colours = ui::palette();
    const PendingItem& item = model_->items()[static_cast<std::size_t>(index)];
    const RowBoxes boxes = rowBoxes(m, width, m.header + index * m.row - offset_);
    std::uint32_t background = colours.paneBackground;
    if (hovered) {
        background = colours.hover;
        fill(dc, boxes.row, background);
    }
    const double fraction = countdownFraction(item.remaining);
    drawDisc(dc, boxes.disc, fraction, background, countdownColour(fraction, colours.accent),
             colours.line);

    fill(dc, boxes.button, index == hoverRow_ ? colours.hover : colours.chromeBackground);
    const RECT button = ui::toRect(boxes.button);
    ui::drawFrame(dc, button, colours.line, 1);
    const HFONT small = ui::uiFont(window(), ui::FontStyle::Small);
    ui::drawLabel(dc, u"Undelete", button, colours.text, small,
                  DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
    if (!item.name.empty()) {
        ui::drawLabel(dc, item.name, ui::toRect(boxes.name), colours.text,
                      ui::uiFont(window(), ui::FontStyle::Regular),
                      DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_PATH_ELLIPSIS | DT_NOPREFIX);
    }
    ui::drawLabel(dc, ui::sizeText(item.value), ui::toRect(boxes.size), colours.dimText, small,
                  DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
}

}  // namespace deleting
