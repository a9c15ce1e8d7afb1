#pragma once

// The colours every window paints with, in a light and a dark appearance, and the rules
// that choose between them. Portable: the Win32 side (theme_win32.h) reads the environment and
// the registry and hands the facts to these rules.

#include <cstdint>
#include <optional>
#include <string_view>

namespace ui {

// Colours are GDI colour words, 0x00BBGGRR.
struct Palette {
    bool dark = false;
    std::uint32_t chromeBackground = 0;
    std::uint32_t paneBackground = 0;
    std::uint32_t alternateRow = 0;
    std::uint32_t text = 0;
    std::uint32_t dimText = 0;
    std::uint32_t line = 0;
    std::uint32_t headerBackground = 0;
    std::uint32_t headerText = 0;
    std::uint32_t accent = 0;
    std::uint32_t accentText = 0;
    std::uint32_t hover = 0;
    // Selected rows of a pane that does not have the keyboard focus; their text stays `text`.
    std::uint32_t inactiveSelection = 0;
    // The mark of what has the keyboard focus: the accent in the light appearance, a lighter
    // blue in the dark one, where the accent stands out too little from the backgrounds.
    std::uint32_t focusMark = 0;
    std::uint32_t treemapBackground = 0;
    // False until loadPalette has filled the record once.
    bool loaded = false;
};

// A colour given as 0xAARRGGBB (as the kind colours are) as a colour word; the alpha goes.
constexpr std::uint32_t colourWordOf(std::uint32_t argb) {
    return ((argb & 0xFF) << 16) | (argb & 0xFF00) | ((argb >> 16) & 0xFF);
}

// The colours of one appearance, with `dark` set and `loaded` left false.
Palette paletteColours(bool dark);

// A 32-bit number as the registry answered a query into a 4-byte buffer. `isDword` is true only
// when the query succeeded and the value's type is a plain 32-bit number; larger data or another
// type leaves it false.
struct StoredNumber {
    bool isDword = false;
    std::uint32_t value = 0;
};

// Whether the dark appearance is in force. `themeVariable` is ROZOVIZOV_THEME when it is set and
// fits the 16-character buffer it is read into: "dark" or "light", in any case, decides alone.
// Otherwise the system's AppsUseLightTheme decides: dark only when it is a 32-bit number 0.
bool darkAppearanceChosen(std::optional<std::u16string_view> themeVariable,
                          StoredNumber appsUseLightTheme);

// The build of Windows 10 from which the theme library's export 135 is the switch that lets
// system-drawn menus and scroll bars go dark; before it that ordinal is absent or another
// function, so calling it there is unsafe.
inline constexpr std::uint32_t kFirstBuildWithDarkMenus = 18362;
inline constexpr bool darkMenuSwitchExists(std::uint32_t windowsBuild) {
    return windowsBuild >= kFirstBuildWithDarkMenus;
}

}  // namespace ui
