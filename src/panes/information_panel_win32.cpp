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

LRESULT CALLBACK InformationPanel::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                                   LPARAM lParam) {
    auto* self = reinterpret_cast<InformationPanel*>(GetWindowLongPtrW(window, GWLP_USERDATA));
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

void InformationPanel::attach(HWND window) {
    window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

bool InformationPanel::shown() const {
    return window_ != nullptr && IsWindowVisible(window_) != 0;
}

LRESULT InformationPanel::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            onPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_CLOSE:
            ShowWindow(window_, SW_HIDE);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
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

void InformationPanel::repaint() {
    if (window_ != nullptr) {
        InvalidateRect(window_, nullptr, FALSE);
    }
}

void InformationPanel::onPaint() {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(window_, &paint);
    RECT client{};
    GetClientRect(window_, &client);
    const HDC buffer = buffer_.prepare(dc, client.right, client.bottom);
    if (buffer != nullptr) {
        const ui::Palette& colours = ui::palette();
        const auto s = [this](int length) { return ui::scaled(window_, length); };
        const int width = client.right;
        FillRect(buffer, &client, ui::brushFor(colours.paneBackground));
        const RECT title{s(kMargin), s(kMargin), width - s(kMargin), s(kMargin + kTitleHeight)};
        ui::drawLabel(buffer, information_.title, title, colours.text,
                      ui::uiFont(window_, ui::FontStyle::LargeHeading),
                      DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS | DT_TOP);
        const HFONT font = ui::uiFont(window_, ui::FontStyle::Regular);
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
        buffer_.present(dc, client.right, client.bottom);
    }
    EndPaint(window_, &paint);
}

}  // namespace panes
