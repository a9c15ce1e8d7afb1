// How the start page is drawn: everything into the back buffer, copied with one BitBlt.

#include "panes/welcome_view_win32.h"

#include "ui/theme_win32.h"
#include "update/product_site.h"

#include <string>

namespace panes {

namespace {

constexpr char16_t kTitle[] = u"Rozovizov";
constexpr char16_t kSubtitle[] =
    u"Choose a drive or folder to scan. Results appear while the scan runs.";
constexpr char16_t kChooseLabel[] = u"Choose Another Folder\u2026";
constexpr char16_t kElevationMessage[] =
    u"Scanning a whole drive is about ten times faster as administrator, because the file table "
    u"can be read directly. Everything works without it.";
constexpr char16_t kElevationLabel[] = u"Restart as Administrator";
constexpr char16_t kDownloadLabel[] = u"Download";
constexpr const char16_t* kHeadings[2] = {u"Drives", u"Folders"};

// Banner and bar colours, [light, dark], as GDI colour words.
constexpr std::uint32_t kUpdateFill[2] = {0xFDF4E8, 0x3A2C18};  // RGB(232, 244, 253), (24, 44, 58)
constexpr std::uint32_t kUpdateBorder[2] = {0xF0D4B2,
                                            0x745834};  // RGB(178, 212, 240), (52, 88, 116)
constexpr std::uint32_t kElevationFill[2] = {0xE2F9FF,
                                             0x182C30};  // RGB(255, 249, 226), (48, 44, 24)
constexpr std::uint32_t kElevationBorder[2] = {0xAAE0EE,
                                               0x285460};  // RGB(238, 224, 170), (96, 84, 40)
constexpr std::uint32_t kTrack[2] = {0xE6E2E2, 0x3C3C3C};  // RGB(226, 226, 230), (60, 60, 60)

// Metrics at 96 DPI.
constexpr int kIconSize = 44;
constexpr int kTitleGap = 12;
constexpr int kCardIcon = 32;
constexpr int kInset = 10;
constexpr int kBuiltByBox = 400;  // not scaled: only its right edge matters

void fill(HDC dc, const RECT& rect, std::uint32_t colour) {
    FillRect(dc, &rect, ui::brushFor(colour));
}

// Where a rectangle of the page is in the window, scrolled by `scroll`.
RECT inWindow(const PageRect& page, int scroll) {
    return ui::toRect(page.movedUp(scroll));
}

bool onScreen(const RECT& rect, int clientHeight) {
    return rect.bottom >= 0 && rect.top <= clientHeight;
}

}  // namespace

void WelcomeView::paint() {
    paintBuffered([this](HDC dc, const RECT& client) { paintPage(dc, client); });
}

void WelcomeView::paintPage(HDC dc, const RECT& client) {
    const ui::Palette& colours = ui::palette();
    const int scroll = layout_.scroll;
    const auto s = [this](int length) { return ui::scaled(window(), length); };
    fill(dc, client, colours.chromeBackground);

    const RECT header = inWindow(layout_.header, scroll);
    int titleLeft = layout_.columnLeft;
    if (applicationIcon_ != nullptr) {
        DrawIconEx(dc, header.left, header.top, applicationIcon_, s(kIconSize), s(kIconSize), 0,
                   nullptr, DI_NORMAL);
        titleLeft += s(kIconSize) + s(kTitleGap);
    }
    const RECT title{titleLeft, header.top, layout_.columnLeft + layout_.columnWidth,
                     header.bottom};
    ui::drawLabel(dc, kTitle, title, colours.text, ui::uiFont(window(), ui::FontStyle::Title),
                  DT_SINGLELINE | DT_VCENTER);
    const RECT subtitle{layout_.columnLeft, header.bottom + s(4),
                        layout_.columnLeft + layout_.columnWidth, header.bottom + s(24)};
    ui::drawLabel(dc, kSubtitle, subtitle, colours.dimText,
                  ui::uiFont(window(), ui::FontStyle::Regular), DT_SINGLELINE);

    if (!updateNotice_.empty()) {
        paintBanner(dc, layout_.updateBanner, layout_.updateButton, updateNotice_, kDownloadLabel,
                    hovered_.downloadButton, true, client.bottom);
    }
    if (elevationBanner_) {
        paintBanner(dc, layout_.elevationBanner, layout_.elevationButton, kElevationMessage,
                    kElevationLabel, hovered_.elevationButton, false, client.bottom);
    }

    for (std::size_t i = 0; i < layout_.items.size(); ++i) {
        const PlacedItem& item = layout_.items[i];
        const RECT rect = inWindow(item.rect, scroll);
        if (!onScreen(rect, client.bottom)) {
            continue;
        }
        if (item.heading) {
            std::u16string text = kHeadings[item.section == 0 ? 0 : 1];
            CharUpperBuffW(reinterpret_cast<wchar_t*>(text.data()),
                           static_cast<DWORD>(text.size()));
            RECT box = rect;
            box.left += s(kInset);
            ui::drawLabel(dc, text, box, colours.dimText,
                          ui::uiFont(window(), ui::FontStyle::Small), DT_SINGLELINE | DT_BOTTOM);
        } else {
            paintCard(dc, item, hovered_.item == static_cast<int>(i));
        }
    }

    const RECT choose = inWindow(layout_.chooseButton, scroll);
    fill(dc, choose, hovered_.chooseButton ? colours.hover : colours.paneBackground);
    ui::drawFrame(dc, choose, colours.line, 1);
    ui::drawLabel(dc, kChooseLabel, choose, colours.text,
                  ui::uiFont(window(), ui::FontStyle::Regular),
                  DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    paintFooter(dc);
    if (focusMarkShown()) {
        paintFocusMark(dc);
    }
}

void WelcomeView::paintFocusMark(HDC dc) {
    const WelcomeStop& stop = stops_[static_cast<std::size_t>(focus_)];
    RECT box = inWindow(stop.rect, layout_.scroll);
    if (stop.kind == StopKind::Link) {
        // A link is only its text, which the platform's dotted rectangle surrounds; it inverts
        // what is under it, so it shows on either appearance.
        InflateRect(&box, ui::scaled(window(), 3), ui::scaled(window(), 1));
        DrawFocusRect(dc, &box);
        return;
    }
    ui::drawFocusRing(dc, box, ui::palette().focusMark, ui::windowDpi(window()));
}

void WelcomeView::paintBanner(HDC dc, const PageRect& banner, const PageRect& button,
                              std::u16string_view message, std::u16string_view label, bool hovered,
                              bool update, int clientHeight) {
    const RECT box = inWindow(banner, layout_.scroll);
    if (!onScreen(box, clientHeight)) {
        return;
    }
    const ui::Palette& colours = ui::palette();
    const int dark = colours.dark ? 1 : 0;
    fill(dc, box, update ? kUpdateFill[dark] : kElevationFill[dark]);
    ui::drawFrame(dc, box, update ? kUpdateBorder[dark] : kElevationBorder[dark], 1);
    const RECT knob = inWindow(button, layout_.scroll);
    const HFONT regular = ui::uiFont(window(), ui::FontStyle::Regular);
    const RECT text{box.left + ui::scaled(window(), 16), box.top + ui::scaled(window(), 10),
                    knob.left - ui::scaled(window(), 16), box.bottom - ui::scaled(window(), 8)};
    ui::drawLabel(dc, message, text, colours.text, regular, DT_WORDBREAK | DT_NOPREFIX);
    fill(dc, knob, hovered ? colours.hover : colours.paneBackground);
    ui::drawFrame(dc, knob, colours.line, 1);
    ui::drawLabel(dc, label, knob, colours.text, regular, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

void WelcomeView::paintCard(HDC dc, const PlacedItem& item, bool hovered) {
    const PlaceCard* card = cardOf(item);
    if (card == nullptr) {
        return;
    }
    const ui::Palette& colours = ui::palette();
    const auto s = [this](int length) { return ui::scaled(window(), length); };
    const RECT box = inWindow(item.rect, layout_.scroll);
    fill(dc, box, hovered ? colours.hover : colours.paneBackground);
    ui::drawFrame(dc, box, hovered ? colours.accent : colours.line, 1);
    int textLeft = box.left + s(kInset);
    if (card->icon != nullptr) {
        const int size = s(kCardIcon);
        DrawIconEx(dc, box.left + s(kInset), box.top + (box.bottom - box.top - size) / 2,
                   card->icon, size, size, 0, nullptr, DI_NORMAL);
        textLeft += size + s(kInset);
    }
    const int right = box.right - s(kInset);
    const HFONT small = ui::uiFont(window(), ui::FontStyle::Small);
    ui::drawLabel(dc, card->title, RECT{textLeft, box.top + s(7), right, box.top + s(25)},
                  colours.text, ui::uiFont(window(), ui::FontStyle::Heading),
                  DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (card->isDrive && card->total > 0) {
        ui::drawLabel(dc, usageLine(card->total, card->free),
                      RECT{textLeft, box.top + s(23), right, box.top + s(39)}, colours.dimText,
                      small, DT_SINGLELINE | DT_END_ELLIPSIS);
        const RECT track{textLeft, box.top + s(42), right, box.top + s(48)};
        fill(dc, track, kTrack[colours.dark ? 1 : 0]);
        const UsageBar bar = usageBar(card->total, card->free, textLeft, right);
        fill(dc, RECT{textLeft, track.top, bar.filledRight, track.bottom}, bar.colour);
    } else {
        // A path loses its middle, which keeps the drive and the last folder; a description is
        // prose and loses its end.
        const bool path = card->description.empty();
        ui::drawLabel(dc, path ? card->path : card->description,
                      RECT{textLeft, box.top + s(24), right, box.bottom - s(6)}, colours.dimText,
                      small,
                      DT_SINGLELINE | DT_NOPREFIX | (path ? DT_PATH_ELLIPSIS : DT_END_ELLIPSIS));
    }
}

void WelcomeView::paintFooter(HDC dc) {
    const ui::Palette& colours = ui::palette();
    const HFONT small = ui::uiFont(window(), ui::FontStyle::Small);
    const RECT maker = inWindow(layout_.makerLink, layout_.scroll);
    const RECT product = inWindow(layout_.productLink, layout_.scroll);
    ui::drawLabel(dc, kBuiltBy, RECT{maker.left - kBuiltByBox, maker.top, maker.left, maker.bottom},
                  colours.dimText, small, DT_SINGLELINE | DT_RIGHT);
    ui::drawLabel(dc, kFooterSeparator, RECT{maker.right, maker.top, product.left, maker.bottom},
                  colours.dimText, small, DT_SINGLELINE | DT_CENTER);
    ui::drawLabel(dc, kMakerName, maker, colours.accent, small, DT_SINGLELINE);
    ui::drawLabel(dc, update::kProductHost, product, colours.accent, small, DT_SINGLELINE);
    const RECT* underlined = hovered_.link == 0 ? &maker : hovered_.link == 1 ? &product : nullptr;
    if (underlined != nullptr) {
        fill(dc,
             RECT{underlined->left, underlined->bottom - 1, underlined->right, underlined->bottom},
             colours.accent);
    }
}

}  // namespace panes
