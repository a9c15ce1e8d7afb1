#include "ui/palette.h"

namespace ui {

namespace {

constexpr std::uint32_t rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return red | (green << 8) | (blue << 16);
}

bool equalsIgnoringCase(std::u16string_view text, std::u16string_view lowerCase) {
    if (text.size() != lowerCase.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
        if (c != lowerCase[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

Palette paletteColours(bool dark) {
    Palette palette;
    palette.dark = dark;
    if (dark) {
        palette.chromeBackground = rgb(32, 32, 32);
        palette.paneBackground = rgb(24, 24, 24);
        palette.alternateRow = rgb(30, 30, 30);
        palette.text = rgb(240, 240, 240);
        palette.dimText = rgb(160, 160, 160);
        palette.line = rgb(60, 60, 60);
        palette.headerBackground = rgb(40, 40, 40);
        palette.headerText = rgb(200, 200, 200);
        palette.accent = rgb(0, 90, 158);
        palette.accentText = rgb(255, 255, 255);
        palette.hover = rgb(48, 48, 48);
        palette.inactiveSelection = rgb(70, 70, 74);
        palette.focusMark = rgb(96, 166, 232);
    } else {
        palette.chromeBackground = rgb(243, 243, 243);
        palette.paneBackground = rgb(255, 255, 255);
        palette.alternateRow = rgb(246, 246, 248);
        palette.text = rgb(28, 28, 30);
        palette.dimText = rgb(110, 110, 115);
        palette.line = rgb(216, 216, 220);
        palette.headerBackground = rgb(250, 250, 250);
        palette.headerText = rgb(80, 80, 84);
        palette.accent = rgb(0, 120, 215);
        palette.accentText = rgb(255, 255, 255);
        palette.hover = rgb(236, 240, 246);
        palette.inactiveSelection = rgb(218, 218, 222);
        palette.focusMark = rgb(0, 120, 215);
    }
    // The treemap's frame stays dark in both appearances, so the cushions look the same.
    palette.treemapBackground = rgb(28, 28, 30);
    return palette;
}

bool darkAppearanceChosen(std::optional<std::u16string_view> themeVariable,
                          StoredNumber appsUseLightTheme) {
    if (themeVariable) {
        if (equalsIgnoringCase(*themeVariable, u"dark")) {
            return true;
        }
        if (equalsIgnoringCase(*themeVariable, u"light")) {
            return false;
        }
    }
    return appsUseLightTheme.isDword && appsUseLightTheme.value == 0;
}

}  // namespace ui
