#include "ui/drawing_win32.h"

#include "ui/scaling.h"
#include "ui/theme_win32.h"

#include <map>
#include <utility>

namespace ui {

namespace {

// GetDpiForWindow arrived with Windows 10; on 8.1 the program runs at 96 DPI.
UINT queryWindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = [] {
        const HMODULE user32 = GetModuleHandleW(L"user32.dll");
        return user32 == nullptr
                   ? nullptr
                   : reinterpret_cast<GetDpiForWindowFunction>(
                         reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
    }();
    return getDpiForWindow == nullptr ? 0 : getDpiForWindow(window);
}

}  // namespace

int windowDpi(HWND window) {
    return window == nullptr ? kDefaultDpi : effectiveDpi(queryWindowDpi(window));
}

int scaled(HWND window, int length) {
    return scaleLength(length, windowDpi(window));
}

HFONT uiFont(HWND window, FontStyle style) {
    return uiFontAt(windowDpi(window), style);
}

HFONT uiFontAt(int dpi, FontStyle style) {
    static std::map<std::pair<int, int>, HFONT> fonts;
    const FontTraits traits = fontTraitsOf(style);
    auto [entry, added] = fonts.try_emplace({fontKeyOf(traits), dpi}, nullptr);
    if (added) {
        LOGFONTW font{};
        font.lfHeight = fontHeightFor(traits.points, dpi);
        font.lfWeight = traits.weight;
        font.lfQuality = CLEARTYPE_QUALITY;
        font.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(font.lfFaceName, L"Segoe UI", LF_FACESIZE);
        entry->second = CreateFontIndirectW(&font);
    }
    return entry->second;
}

HDC BackBuffer::prepare(HDC target, int width, int height) {
    if (width <= 0 || height <= 0) {
        return nullptr;
    }
    if (dc_ != nullptr && width == width_ && height == height_) {
        return dc_;
    }
    release();
    dc_ = CreateCompatibleDC(target);
    if (dc_ == nullptr) {
        return nullptr;
    }
    bitmap_ = CreateCompatibleBitmap(target, width, height);
    replaced_ = SelectObject(dc_, bitmap_);
    width_ = width;
    height_ = height;
    return dc_;
}

void BackBuffer::present(HDC target, int width, int height) const {
    if (dc_ != nullptr) {
        BitBlt(target, 0, 0, width, height, dc_, 0, 0, SRCCOPY);
    }
}

void BackBuffer::release() {
    if (dc_ == nullptr) {
        return;
    }
    SelectObject(dc_, replaced_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    replaced_ = nullptr;
    width_ = 0;
    height_ = 0;
}

TextMeasure::TextMeasure(HWND window, HFONT font) : window_(window), dc_(GetDC(window)) {
    if (dc_ != nullptr) {
        replaced_ = SelectObject(dc_, font);
    }
}

TextMeasure::~TextMeasure() {
    if (dc_ != nullptr) {
        SelectObject(dc_, replaced_);
        ReleaseDC(window_, dc_);
    }
}

int TextMeasure::width(std::u16string_view text) const {
    SIZE size{};
    if (dc_ == nullptr || text.empty()) {
        return 0;
    }
    GetTextExtentPoint32W(dc_, reinterpret_cast<const wchar_t*>(text.data()),
                          static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
}

int TextMeasure::lineHeight() const {
    TEXTMETRICW metrics{};
    if (dc_ == nullptr || GetTextMetricsW(dc_, &metrics) == 0) {
        return 0;
    }
    return static_cast<int>(metrics.tmHeight);
}

void drawLabel(HDC dc, std::u16string_view text, const RECT& rectangle, std::uint32_t colour,
               HFONT font, UINT format) {
    if (text.empty()) {
        return;
    }
    const HGDIOBJ oldFont = SelectObject(dc, font);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, colour);
    RECT area = rectangle;
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()),
              &area, format);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

void drawFrame(HDC dc, const RECT& rectangle, std::uint32_t colour, int thickness) {
    const HBRUSH brush = brushFor(colour);
    const RECT bands[] = {
        {rectangle.left, rectangle.top, rectangle.right, rectangle.top + thickness},
        {rectangle.left, rectangle.bottom - thickness, rectangle.right, rectangle.bottom},
        {rectangle.left, rectangle.top, rectangle.left + thickness, rectangle.bottom},
        {rectangle.right - thickness, rectangle.top, rectangle.right, rectangle.bottom},
    };
    for (const RECT& band : bands) {
        FillRect(dc, &band, brush);
    }
}

void drawFocusRing(HDC dc, const RECT& control, std::uint32_t colour, int dpi) {
    const int thickness = scaleLength(2, dpi);
    const int outset = scaleLength(1, dpi) + thickness;
    drawFrame(dc,
              RECT{control.left - outset, control.top - outset, control.right + outset,
                   control.bottom + outset},
              colour, thickness);
}

}  // namespace ui
