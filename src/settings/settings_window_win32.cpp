#include "settings/settings_window_win32.h"

#include "ui/theme_win32.h"

#include <windowsx.h>

#include <algorithm>

namespace settings {

namespace {

constexpr const char16_t* kResetText = u"Reset";
constexpr const char16_t* kResetExplanation = u"Puts every setting back to how it started.";

void fill(HDC dc, const Box& box, std::uint32_t colour) {
    const RECT rect = ui::toRect(box);
    FillRect(dc, &rect, ui::brushFor(colour));
}

// A tick inside a square box of side d, as three points of a thick line.
void drawTick(HDC dc, const Box& box, std::uint32_t colour) {
    const int d = box.right - box.left;
    const HPEN pen = CreatePen(PS_SOLID, std::max(2, d / 7), colour);
    const HGDIOBJ old = SelectObject(dc, pen);
    const POINT points[] = {
        {box.left + d / 5, box.top + d / 2},
        {box.left + d / 2 - d / 12, box.bottom - d / 4},
        {box.right - d / 6, box.top + d / 4},
    };
    Polyline(dc, points, 3);
    SelectObject(dc, old);
    DeleteObject(pen);
}

}  // namespace

SettingsWindow& settingsWindow() {
    static SettingsWindow window;
    return window;
}

SettingsGeometry SettingsWindow::geometry() const {
    RECT client{};
    GetClientRect(window_, &client);
    return {ui::windowDpi(window_), client.right, client.bottom};
}

void SettingsWindow::show(HWND owner, SettingsStore& store) {
    store_ = &store;
    if (window_ == nullptr) {
        constexpr DWORD style = WS_CAPTION | WS_SYSMENU;
        RECT frame{0, 0, kSettingsClientWidth, kSettingsClientHeight};
        AdjustWindowRectEx(&frame, style, FALSE, 0);
        CreateWindowExW(0, kSettingsWindowClass, L"Settings", style, CW_USEDEFAULT, CW_USEDEFAULT,
                        frame.right - frame.left, frame.bottom - frame.top, owner, nullptr,
                        GetModuleHandleW(nullptr), this);
        if (window_ == nullptr) {
            return;
        }
        ui::applyWindowTheme(window_);
        rows_ = settingsRows();
        currentPage_ = 0;
        hoveredRow_ = -1;
        hoveredPage_ = -1;
        resetHovered_ = false;
        focus_.reset();
        focusCues_ = false;
        layout();
    }
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
}

LRESULT CALLBACK SettingsWindow::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<SettingsWindow*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<SettingsWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self->buffer_.release();
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

LRESULT SettingsWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT &&
                (hoveredRow_ >= 0 || hoveredPage_ >= 0 || resetHovered_)) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            return DefWindowProcW(window_, message, wParam, lParam);
        case WM_MOUSEMOVE:
            onMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_LBUTTONDOWN:
            onClick(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_MOUSELEAVE:
            hoveredRow_ = -1;
            hoveredPage_ = -1;
            resetHovered_ = false;
            InvalidateRect(window_, nullptr, FALSE);
            return 0;
        case WM_KEYDOWN:
            onKeyDown(wParam, lParam);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(window_, nullptr, FALSE);
            return 0;
        case WM_CLOSE:
            ShowWindow(window_, SW_HIDE);
            return 0;
        case WM_DPICHANGED:
            layout();
            InvalidateRect(window_, nullptr, TRUE);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void SettingsWindow::layout() {
    const HDC dc = GetDC(window_);
    const HFONT small = ui::uiFont(window_, ui::FontStyle::Small);
    const MeasureText measure = [dc, small](const std::u16string& text, int width) {
        const HGDIOBJ old = SelectObject(dc, small);
        RECT box{0, 0, width, 0};
        DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.c_str()), static_cast<int>(text.size()),
                  &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        return static_cast<int>(box.bottom - box.top);
    };
    resetButton_ = layoutRows(rows_, currentPage_, geometry(), measure);
    ReleaseDC(window_, dc);
}

void SettingsWindow::paint() {
    PAINTSTRUCT paintStruct{};
    const HDC target = BeginPaint(window_, &paintStruct);
    const SettingsGeometry g = geometry();
    const HDC dc = buffer_.prepare(target, g.clientWidth, g.clientHeight);
    if (dc == nullptr) {
        EndPaint(window_, &paintStruct);
        return;
    }
    const ui::Palette& colours = ui::palette();
    const HFONT regular = ui::uiFont(window_, ui::FontStyle::Regular);
    const HFONT small = ui::uiFont(window_, ui::FontStyle::Small);

    fill(dc, {0, 0, g.clientWidth, g.clientHeight}, colours.paneBackground);
    const int sidebar = g.sidebarWidth();
    fill(dc, {0, 0, sidebar, g.clientHeight}, colours.chromeBackground);
    fill(dc, {sidebar - 1, 0, sidebar, g.clientHeight}, colours.line);

    for (int page = 0; page < kSettingsPageCount; ++page) {
        const Box entry = g.pageEntry(page);
        std::uint32_t ink = colours.text;
        if (page == currentPage_) {
            fill(dc, entry, colours.accent);
            ink = colours.accentText;
        } else if (page == hoveredPage_) {
            fill(dc, entry, colours.hover);
        }
        RECT text = ui::toRect(entry);
        text.left += g.scaled(14);
        ui::drawLabel(dc, settingsPageName(page), text, ink, regular,
                      DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }

    for (const SettingsRow& row : rows_) {
        if (row.page == currentPage_) {
            paintRow(dc, row, g);
        }
    }

    const int footerTop = g.footerTop();
    fill(dc, {sidebar, footerTop, g.clientWidth, footerTop + 1}, colours.line);
    fill(dc, resetButton_, resetHovered_ ? colours.hover : colours.paneBackground);
    ui::drawFrame(dc, ui::toRect(resetButton_), colours.line, 1);
    ui::drawLabel(dc, kResetText, ui::toRect(resetButton_), colours.text, regular,
                  DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    ui::drawLabel(dc, kResetExplanation, ui::toRect(g.resetExplanation(resetButton_)),
                  colours.dimText, small, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (focusMarkShown()) {
        paintFocusMark(dc, g);
    }

    buffer_.present(target, g.clientWidth, g.clientHeight);
    EndPaint(window_, &paintStruct);
}

void SettingsWindow::paintRow(HDC dc, const SettingsRow& row, const SettingsGeometry& g) {
    const ui::Palette& colours = ui::palette();
    if (row.type == RowType::Separator) {
        const int y = g.separatorY(row);
        fill(dc, {row.row.left + g.scaled(24), y, row.row.right, y + 1}, colours.line);
        return;
    }
    const HFONT regular = ui::uiFont(window_, ui::FontStyle::Regular);
    const HFONT small = ui::uiFont(window_, ui::FontStyle::Small);
    if (!row.section.empty()) {
        ui::drawLabel(dc, row.section, ui::toRect(g.sectionBox(row)), colours.dimText, regular,
                      DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    }
    const bool on = store_ != nullptr && store_->settingById(row.id);
    if (on) {
        fill(dc, row.checkBox, colours.accent);
        ui::drawFrame(dc, ui::toRect(row.checkBox), colours.accent, 1);
        drawTick(dc, row.checkBox, colours.accentText);
    } else {
        fill(dc, row.checkBox, colours.paneBackground);
        ui::drawFrame(dc, ui::toRect(row.checkBox), colours.line, 1);
    }
    ui::drawLabel(dc, row.label, ui::toRect(g.labelBox(row)), colours.text, regular,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (!row.explanation.empty()) {
        const Box below = g.explanationBox(row, row.row.bottom - row.checkBox.bottom);
        ui::drawLabel(dc, row.explanation, ui::toRect(below), colours.dimText, small,
                      DT_WORDBREAK | DT_NOPREFIX);
    }
}

bool SettingsWindow::focusMarkShown() const {
    return focusCues_ && focus_.has_value() && window_ != nullptr && GetFocus() == window_;
}

void SettingsWindow::paintFocusMark(HDC dc, const SettingsGeometry& g) {
    Box around = resetButton_;
    if (focus_->kind == StopKind::PageEntry) {
        around = g.pageEntry(focus_->index);
    } else if (focus_->kind == StopKind::CheckBox) {
        // The box and its label's text, as far as it goes, a pixel clear of both.
        const SettingsRow& row = rows_[static_cast<std::size_t>(focus_->index)];
        const Box label = g.labelBox(row);
        const HGDIOBJ old = SelectObject(dc, ui::uiFont(window_, ui::FontStyle::Regular));
        SIZE text{};
        GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(row.label.c_str()),
                              static_cast<int>(row.label.size()), &text);
        SelectObject(dc, old);
        const int margin = g.scaled(1);
        around = {row.checkBox.left - margin, row.checkBox.top - margin,
                  std::min(label.left + static_cast<int>(text.cx), label.right) + margin,
                  row.checkBox.bottom + margin};
    }
    ui::drawFocusRing(dc, ui::toRect(around), ui::palette().focusMark, g.dpi);
}

void SettingsWindow::onMouseMove(int x, int y) {
    const SettingsGeometry g = geometry();
    const int row = rowAt(rows_, currentPage_, g, x, y);
    const int page = pageAt(g, x, y);
    const bool reset = resetButton_.contains(x, y);
    if (row == hoveredRow_ && page == hoveredPage_ && reset == resetHovered_) {
        return;
    }
    hoveredRow_ = row;
    hoveredPage_ = page;
    resetHovered_ = reset;
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window_, 0};
    TrackMouseEvent(&track);
    InvalidateRect(window_, nullptr, FALSE);
}

void SettingsWindow::onClick(int x, int y) {
    const SettingsGeometry g = geometry();
    std::optional<SettingsStop> clicked;
    if (const int page = pageAt(g, x, y); page >= 0) {
        clicked = SettingsStop{StopKind::PageEntry, page};
    } else if (resetButton_.contains(x, y)) {
        clicked = SettingsStop{StopKind::Reset, -1};
    } else if (const int row = rowAt(rows_, currentPage_, g, x, y); row >= 0) {
        clicked = SettingsStop{StopKind::CheckBox, row};
    }
    if (!clicked) {
        return;
    }
    // What the mouse chose takes the focus, with its mark hidden until the keyboard is used.
    focus_ = clicked;
    focusCues_ = false;
    activate(*clicked);
}

void SettingsWindow::onKeyDown(WPARAM key, LPARAM flags) {
    // A held key repeats: one press toggles or resets once.
    const bool firstPress = (flags & (1 << 30)) == 0;
    switch (key) {
        case VK_ESCAPE:
            ShowWindow(window_, SW_HIDE);
            break;
        case VK_TAB:
            moveFocus(GetKeyState(VK_SHIFT) < 0 ? FocusMove::Previous : FocusMove::Next);
            break;
        case VK_UP:
            moveFocus(FocusMove::Up);
            break;
        case VK_DOWN:
            moveFocus(FocusMove::Down);
            break;
        case VK_SPACE:
            if (focus_ && firstPress) {
                activate(*focus_);
            }
            break;
        case VK_RETURN:
            // Enter is not a check box's key; it chooses a page or resets.
            if (focus_ && focus_->kind != StopKind::CheckBox && firstPress) {
                activate(*focus_);
            }
            break;
        default:
            break;
    }
}

void SettingsWindow::moveFocus(FocusMove move) {
    focus_ = moveSettingsFocus(rows_, currentPage_, focus_.value_or(SettingsStop{}), move);
    focusCues_ = true;
    InvalidateRect(window_, nullptr, FALSE);
}

void SettingsWindow::activate(const SettingsStop& stop) {
    switch (stop.kind) {
        case StopKind::PageEntry:
            currentPage_ = stop.index;
            // The rows under the pointer are another page's now.
            hoveredRow_ = -1;
            break;
        case StopKind::Reset:
            if (store_ != nullptr) {
                store_->resetSettings();
            }
            break;
        case StopKind::CheckBox:
            if (store_ == nullptr) {
                return;
            }
            if (const std::optional<Setting> setting =
                    settingWithId(rows_[static_cast<std::size_t>(stop.index)].id)) {
                store_->write(*setting, !store_->read(*setting));
            }
            break;
    }
    // A listener runs arbitrary code; should it have closed the owner, this window went with it.
    if (window_ != nullptr) {
        layout();
        InvalidateRect(window_, nullptr, FALSE);
    }
}

}  // namespace settings
