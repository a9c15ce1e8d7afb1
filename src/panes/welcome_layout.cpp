#include "panes/welcome_layout.h"

#include "ui/formats.h"
#include "ui/scaling.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

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

std::vector<WelcomeStop> welcomeStops(const WelcomeLayout& layout) {
    std::vector<WelcomeStop> stops;
    if (!layout.updateButton.empty()) {
        stops.push_back({StopKind::DownloadButton, -1, -1, layout.updateButton});
    }
    if (!layout.elevationButton.empty()) {
        stops.push_back({StopKind::ElevationButton, -1, -1, layout.elevationButton});
    }
    for (const PlacedItem& item : layout.items) {
        if (!item.heading) {
            stops.push_back({StopKind::Card, item.section, item.card, item.rect});
        }
    }
    stops.push_back({StopKind::ChooseButton, -1, -1, layout.chooseButton});
    stops.push_back({StopKind::Link, -1, 0, layout.makerLink});
    stops.push_back({StopKind::Link, -1, 1, layout.productLink});
    return stops;
}

int stopAt(const std::vector<WelcomeStop>& stops, const WelcomeLayout& layout, int x, int y) {
    const WelcomeHit hit = hitWelcomePage(layout, x, y);
    WelcomeStop wanted;
    if (hit.link >= 0) {
        wanted = {StopKind::Link, -1, hit.link, {}};
    } else if (hit.chooseButton) {
        wanted = {StopKind::ChooseButton, -1, -1, {}};
    } else if (hit.elevationButton) {
        wanted = {StopKind::ElevationButton, -1, -1, {}};
    } else if (hit.downloadButton) {
        wanted = {StopKind::DownloadButton, -1, -1, {}};
    } else if (hit.item >= 0) {
        const PlacedItem& item = layout.items[static_cast<std::size_t>(hit.item)];
        wanted = {StopKind::Card, item.section, item.card, {}};
    } else {
        return -1;
    }
    const auto found = std::find_if(stops.begin(), stops.end(),
                                    [&](const WelcomeStop& stop) { return stop.sameAs(wanted); });
    return found == stops.end() ? -1 : static_cast<int>(found - stops.begin());
}

namespace {

// The stop of the nearest row above (`down` false) or below `from` whose horizontal centre is
// nearest to its centre, or `from` when there is no such row. A row is every stop with the same
// top, which the cards of a row share and the banners' buttons have alone.
int verticalNeighbour(const std::vector<WelcomeStop>& stops, int from, bool down) {
    const PageRect& origin = stops[static_cast<std::size_t>(from)].rect;
    const auto beyond = [&](const PageRect& rect) {
        return down ? rect.top >= origin.bottom : rect.bottom <= origin.top;
    };
    std::optional<int> rowTop;
    for (const WelcomeStop& stop : stops) {
        if (beyond(stop.rect) &&
            (!rowTop || (down ? stop.rect.top < *rowTop : stop.rect.top > *rowTop))) {
            rowTop = stop.rect.top;
        }
    }
    if (!rowTop) {
        return from;
    }
    // Doubled centres, which keep the halves of odd widths.
    const int centre = origin.left + origin.right;
    int best = from;
    int bestDistance = 0;
    for (std::size_t i = 0; i < stops.size(); ++i) {
        const PageRect& rect = stops[i].rect;
        if (rect.top != *rowTop || !beyond(rect)) {
            continue;
        }
        const int distance = std::abs(rect.left + rect.right - centre);
        if (best == from || distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace

int moveFocus(const std::vector<WelcomeStop>& stops, int from, FocusMove move) {
    const int count = static_cast<int>(stops.size());
    if (count == 0) {
        return -1;
    }
    const int last = count - 1;
    if (from < 0 || from > last) {
        return move == FocusMove::Previous || move == FocusMove::Last ? last : 0;
    }
    switch (move) {
        case FocusMove::Next:
        case FocusMove::Right:
            return std::min(from + 1, last);
        case FocusMove::Previous:
        case FocusMove::Left:
            return std::max(from - 1, 0);
        case FocusMove::Up:
            return verticalNeighbour(stops, from, false);
        case FocusMove::Down:
            return verticalNeighbour(stops, from, true);
        case FocusMove::First:
            return 0;
        case FocusMove::Last:
            return last;
    }
    return from;
}

int keptFocus(const std::vector<WelcomeStop>& stops, const WelcomeStop& old, int oldIndex) {
    if (oldIndex < 0 || stops.empty()) {
        return -1;
    }
    const auto same = std::find_if(stops.begin(), stops.end(),
                                   [&](const WelcomeStop& stop) { return stop.sameAs(old); });
    if (same != stops.end()) {
        return static_cast<int>(same - stops.begin());
    }
    return std::min(oldIndex, static_cast<int>(stops.size()) - 1);
}

int scrollToShow(const PageRect& rect, int margin, int scroll, int clientHeight) {
    const int top = rect.top - margin;
    const int bottom = rect.bottom + margin;
    if (top < scroll || bottom - top > clientHeight) {
        return top;
    }
    if (bottom > scroll + clientHeight) {
        return bottom - clientHeight;
    }
    return scroll;
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
