#include "panes/welcome_layout.h"

#include "ui/formats.h"
#include "ui/scaling.h"

#include <algorithm>

namespace panes {

namespace {

// Metrics at 96 DPI.
constexpr int kSideMargin = 24;
constexpr int kMaxColumn = 760;
constexpr int kHeaderTop = 26;
constexpr int kIcon = 44;
// Below the icon band: the subtitle's gap, its line and the space after it.
constexpr int kSubtitleGap = 6;
constexpr int kSubtitleLine = 18;
constexpr int kAfterSubtitle = 14;
constexpr int kBannerHeight = 66;
constexpr int kBannerGap = 12;
constexpr int kAfterBanners = 6;
constexpr int kBannerButtonInset = 16;
constexpr int kBannerButtonWidth = 194;
constexpr int kBannerButtonTop = 17;
constexpr int kBannerButtonHeight = 32;
constexpr int kHeadingHeight = 28;
constexpr int kHeadingAdvance = 30;
constexpr int kCardGap = 10;
constexpr int kCardHeight = 58;
constexpr int kRowGap = 6;
constexpr int kAfterSection = 14;
constexpr int kChooseWidth = 190;
constexpr int kChooseHeight = 34;
constexpr int kAfterChoose = 26;
constexpr int kBottomMargin = 20;
constexpr int kWheelStep = 60;

}  // namespace

WelcomeLayout layoutWelcomePage(const WelcomeLayoutInput& in) {
    const auto s = [dpi = in.dpi](int length) { return ui::scaleLength(length, dpi); };
    WelcomeLayout out;
    const int w = std::min(in.clientWidth - 2 * s(kSideMargin), s(kMaxColumn));
    const int x0 = (in.clientWidth - w) / 2;
    out.columnLeft = x0;
    out.columnWidth = w;
    out.header = {x0, s(kHeaderTop), x0 + w, s(kHeaderTop) + s(kIcon)};
    int y = s(kHeaderTop) + s(kIcon) + s(kSubtitleGap) + s(kSubtitleLine) + s(kAfterSubtitle);

    const auto banner = [&](PageRect& rect, PageRect& button) {
        rect = {x0, y, x0 + w, y + s(kBannerHeight)};
        const int buttonRight = x0 + w - s(kBannerButtonInset);
        button = {buttonRight - s(kBannerButtonWidth), y + s(kBannerButtonTop), buttonRight,
                  y + s(kBannerButtonTop) + s(kBannerButtonHeight)};
        y += s(kBannerHeight) + s(kBannerGap);
    };
    if (in.updateBanner) {
        banner(out.updateBanner, out.updateButton);
    }
    if (in.elevationBanner) {
        banner(out.elevationBanner, out.elevationButton);
    }
    if (in.updateBanner || in.elevationBanner) {
        y += s(kAfterBanners);
    }

    const int cardWidth = (w - s(kCardGap)) / 2;
    const auto section = [&](int which, int count) {
        if (count <= 0) {
            return;
        }
        out.items.push_back({{x0, y, x0 + w, y + s(kHeadingHeight)}, true, which, -1});
        y += s(kHeadingAdvance);
        for (int card = 0; card < count; ++card) {
            const int column = card % 2;
            const int left = x0 + (cardWidth + s(kCardGap)) * column;
            out.items.push_back(
                {{left, y, left + cardWidth, y + s(kCardHeight)}, false, which, card});
            if (column == 1 || card == count - 1) {
                y += s(kRowGap) + s(kCardHeight);
            }
        }
        y += s(kAfterSection);
    };
    section(0, in.driveCount);
    section(1, in.folderCount);

    out.chooseButton = {x0, y, x0 + s(kChooseWidth), y + s(kChooseHeight)};
    y += s(kChooseHeight) + s(kAfterChoose);

    const int h = in.footerHeight;
    out.footer = {x0, y, x0 + w, y + h};
    const int a = in.builtByWidth;
    const int b = in.makerWidth;
    const int c = in.separatorWidth;
    const int d = in.hostWidth;
    const int start = x0 + (w - d - c - b - a) / 2;
    out.makerLink = {start + a, y, start + a + b, y + h};
    out.productLink = {start + a + b + c, y, start + a + b + c + d, y + h};

    out.contentHeight = y + h + s(kBottomMargin);
    out.scroll = clampScroll(in.scroll, out.contentHeight, in.clientHeight);
    return out;
}

int clampScroll(int scroll, int contentHeight, int clientHeight) {
    return std::max(0, std::min(scroll, contentHeight - clientHeight));
}

int scrollAfterWheel(int scroll, int delta) {
    return scroll - kWheelStep * delta / 120;
}

WelcomeHit hitWelcomePage(const WelcomeLayout& layout, int x, int y) {
    WelcomeHit hit;
    const int pageY = y + layout.scroll;
    const auto over = [&](const PageRect& rect) {
        return !rect.empty() && rect.contains(x, pageY);
    };
    if (over(layout.makerLink)) {
        hit.link = 0;
    } else if (over(layout.productLink)) {
        hit.link = 1;
    } else if (over(layout.chooseButton)) {
        hit.chooseButton = true;
    } else if (over(layout.elevationButton)) {
        hit.elevationButton = true;
    } else if (over(layout.updateButton)) {
        hit.downloadButton = true;
    } else {
        for (std::size_t i = 0; i < layout.items.size(); ++i) {
            const PlacedItem& item = layout.items[i];
            if (!item.heading && item.rect.contains(x, pageY)) {
                hit.item = static_cast<int>(i);
                break;
            }
        }
    }
    return hit;
}

UsageBar usageBar(std::int64_t total, std::int64_t free, int left, int right) {
    double fraction =
        total > 0 ? static_cast<double>(total - free) / static_cast<double>(total) : 0.0;
    fraction = std::max(0.01, std::min(fraction, 1.0));
    UsageBar bar;
    bar.filledRight = left + static_cast<int>(static_cast<double>(right - left) * fraction);
    bar.colour = fraction > 0.9 ? kUsageFull : kUsageNormal;
    return bar;
}

std::u16string usageLine(std::int64_t total, std::int64_t free) {
    return ui::sizeText(total - free) + u" used of " + ui::sizeText(total) + u"  \u00B7  " +
           ui::sizeText(free) + u" free";
}

std::u16string driveTitle(std::u16string root) {
    while (root.size() >= 2 && root.back() == u'\\') {
        root.pop_back();
    }
    return root;
}

}  // namespace panes
