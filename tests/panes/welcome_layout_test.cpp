// The start page's arithmetic: where the column, banners, cards and footer go, what a point is
// over, how far the page scrolls, and a drive's usage bar.

#include "panes/welcome_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace panes {
namespace {

WelcomeLayoutInput page(int width, int height, int drives, int folders, int dpi = 96) {
    WelcomeLayoutInput input;
    input.clientWidth = width;
    input.clientHeight = height;
    input.dpi = dpi;
    input.driveCount = drives;
    input.folderCount = folders;
    input.builtByWidth = 50;
    input.makerWidth = 90;
    input.separatorWidth = 14;
    input.hostWidth = 76;
    input.footerHeight = 13;
    return input;
}

std::vector<PlacedItem> cardsOf(const WelcomeLayout& layout, int section) {
    std::vector<PlacedItem> cards;
    for (const PlacedItem& item : layout.items) {
        if (!item.heading && item.section == section) {
            cards.push_back(item);
        }
    }
    return cards;
}

TEST(WelcomeLayout, TheColumnGrowsWithTheWindowUpTo760PixelsAndThenCentres) {
    const struct {
        int width;
        int dpi;
        int column;
        int left;
    } cases[] = {
        {807, 96, 759, 24},    // just under the threshold: 24 on each side
        {808, 96, 760, 24},    // at it
        {809, 96, 760, 24},    // one more pixel: (809 - 760) / 2 rounds down
        {1400, 96, 760, 320},  // wide: centred
        {500, 96, 452, 24},   {1400, 144, 1140, 130},  // 760 and 24 scaled by 1.5
        {1000, 144, 928, 36},                          // 1000 - 2 * 36
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " at " + std::to_string(c.dpi));
        const WelcomeLayout layout = layoutWelcomePage(page(c.width, 900, 1, 1, c.dpi));
        EXPECT_EQ(layout.columnWidth, c.column);
        EXPECT_EQ(layout.columnLeft, c.left);
        EXPECT_EQ(layout.header, (PageRect{c.left, c.dpi == 96 ? 26 : 39, c.left + c.column,
                                           c.dpi == 96 ? 70 : 105}));
    }
}

TEST(WelcomeLayout, CardsGoTwoToARowUnderTheirHeadingsAndAnOddOneStandsLeft) {
    const WelcomeLayout layout = layoutWelcomePage(page(1400, 900, 3, 2));
    ASSERT_EQ(layout.items.size(), 7u);  // heading, 3 drives, heading, 2 folders
    EXPECT_TRUE(layout.items[0].heading);
    EXPECT_EQ(layout.items[0].rect, (PageRect{320, 108, 1080, 136}));
    const int card = (760 - 10) / 2;
    const std::vector<PlacedItem> drives = cardsOf(layout, 0);
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(drives[0].rect, (PageRect{320, 138, 320 + card, 196}));
    EXPECT_EQ(drives[1].rect, (PageRect{320 + card + 10, 138, 320 + 2 * card + 10, 196}));
    EXPECT_EQ(drives[2].rect, (PageRect{320, 202, 320 + card, 260}));  // alone, left
    EXPECT_EQ(drives[2].card, 2);
    // After the second row (202 + 64 = 266) the section's gap, then the folders' heading.
    EXPECT_TRUE(layout.items[4].heading);
    EXPECT_EQ(layout.items[4].section, 1);
    EXPECT_EQ(layout.items[4].rect.top, 280);
    const std::vector<PlacedItem> folders = cardsOf(layout, 1);
    EXPECT_EQ(folders[0].rect.top, 310);
    EXPECT_EQ(folders[1].rect.top, 310);
    EXPECT_EQ(layout.chooseButton, (PageRect{320, 388, 510, 422}));
}

TEST(WelcomeLayout, ASectionWithoutCardsIsLeftOutHeadingAndAll) {
    const WelcomeLayout noDrives = layoutWelcomePage(page(1000, 900, 0, 2));
    ASSERT_EQ(noDrives.items.size(), 3u);
    EXPECT_EQ(noDrives.items[0].section, 1);
    EXPECT_EQ(noDrives.items[0].rect.top, 108);
    const WelcomeLayout nothing = layoutWelcomePage(page(1000, 900, 0, 0));
    EXPECT_TRUE(nothing.items.empty());
    EXPECT_EQ(nothing.chooseButton.top, 108);
}

TEST(WelcomeLayout, BannersComeUpdateFirstAndPushTheCardsDown) {
    WelcomeLayoutInput input = page(1000, 900, 2, 0);
    const int plain = layoutWelcomePage(input).items[0].rect.top;
    input.elevationBanner = true;
    const WelcomeLayout elevation = layoutWelcomePage(input);
    EXPECT_TRUE(elevation.updateBanner.empty());
    EXPECT_TRUE(elevation.updateButton.empty());
    EXPECT_EQ(elevation.elevationBanner, (PageRect{120, 108, 880, 174}));
    EXPECT_EQ(elevation.elevationButton, (PageRect{880 - 16 - 194, 125, 864, 157}));
    EXPECT_EQ(elevation.items[0].rect.top, plain + 78 + 6);

    input.updateBanner = true;
    const WelcomeLayout both = layoutWelcomePage(input);
    EXPECT_EQ(both.updateBanner.top, 108);
    EXPECT_EQ(both.elevationBanner.top, 108 + 78);
    EXPECT_EQ(both.items[0].rect.top, plain + 2 * 78 + 6);
}

TEST(WelcomeLayout, TheFooterCentresItsFourTextsAndTheLinksSitOnTheirNames) {
    const WelcomeLayout layout = layoutWelcomePage(page(1000, 900, 1, 0));
    // One row of drives: 108 + 30 + 64 + 14 = 216; the button and its gap: 276.
    EXPECT_EQ(layout.footer, (PageRect{120, 276, 880, 289}));
    const int start = 120 + (760 - 76 - 14 - 90 - 50) / 2;
    EXPECT_EQ(layout.makerLink, (PageRect{start + 50, 276, start + 140, 289}));
    EXPECT_EQ(layout.productLink, (PageRect{start + 154, 276, start + 230, 289}));
    EXPECT_EQ(layout.contentHeight, 289 + 20);
}

TEST(WelcomeLayout, TheScrollStaysWithinThePage) {
    WelcomeLayoutInput input = page(1000, 200, 6, 6);
    const int content = layoutWelcomePage(input).contentHeight;
    ASSERT_GT(content, 200);
    const struct {
        int asked;
        int kept;
    } cases[] = {
        {0, 0}, {-50, 0}, {100, 100}, {content - 200, content - 200}, {100000, content - 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        input.scroll = c.asked;
        EXPECT_EQ(layoutWelcomePage(input).scroll, c.kept);
    }
    // A page shorter than the window cannot scroll at all.
    WelcomeLayoutInput tall = page(1000, 2000, 1, 1);
    tall.scroll = 300;
    EXPECT_EQ(layoutWelcomePage(tall).scroll, 0);
    EXPECT_EQ(scrollAfterWheel(100, 120), 40);
    EXPECT_EQ(scrollAfterWheel(100, -240), 220);
    EXPECT_EQ(scrollAfterWheel(0, 60), -30);  // half a notch of a fine wheel
}

TEST(WelcomeLayout, APointHitsCardsButtonsAndLinksButNeverHeadingsOrGaps) {
    WelcomeLayoutInput input = page(1000, 300, 3, 6);
    input.elevationBanner = true;
    input.updateBanner = true;
    input.scroll = 40;
    const WelcomeLayout layout = layoutWelcomePage(input);
    ASSERT_EQ(layout.scroll, 40);
    const auto at = [&](const PageRect& rect) {
        // The middle of a page rectangle, in client coordinates.
        return hitWelcomePage(layout, (rect.left + rect.right) / 2,
                              (rect.top + rect.bottom) / 2 - layout.scroll);
    };
    EXPECT_TRUE(at(layout.updateButton).downloadButton);
    EXPECT_TRUE(at(layout.elevationButton).elevationButton);
    EXPECT_TRUE(at(layout.chooseButton).chooseButton);
    EXPECT_EQ(at(layout.makerLink).link, 0);
    EXPECT_EQ(at(layout.productLink).link, 1);
    EXPECT_FALSE(at(layout.updateBanner).anything());  // the banner beside its button
    for (std::size_t i = 0; i < layout.items.size(); ++i) {
        SCOPED_TRACE(i);
        const WelcomeHit hit = at(layout.items[i].rect);
        EXPECT_EQ(hit.item, layout.items[i].heading ? -1 : static_cast<int>(i));
    }
    // The gap between two cards of a row, and the gap between rows.
    const PlacedItem& first = layout.items[1];
    EXPECT_FALSE(hitWelcomePage(layout, first.rect.right, first.rect.top + 5 - 40).anything());
    EXPECT_FALSE(hitWelcomePage(layout, first.rect.left + 5, first.rect.bottom - 40).anything());
    // Edges: the top-left pixel is inside, the bottom-right outside.
    EXPECT_EQ(hitWelcomePage(layout, first.rect.left, first.rect.top - 40).item, 1);
    EXPECT_EQ(hitWelcomePage(layout, first.rect.right - 1, first.rect.bottom - 41).item, 1);
}

// A short name for each stop, so that a table of moves reads as the page does: "u" and "e" the
// banners' buttons, "d0".."f5" the drive and folder cards, "c" the choose button, "m" and "p"
// the maker's and the product's links.
std::string nameOf(const WelcomeStop& stop) {
    switch (stop.kind) {
        case StopKind::DownloadButton:
            return "u";
        case StopKind::ElevationButton:
            return "e";
        case StopKind::Card:
            return (stop.section == 0 ? "d" : "f") + std::to_string(stop.index);
        case StopKind::ChooseButton:
            return "c";
        case StopKind::Link:
            return stop.index == 0 ? "m" : "p";
    }
    return "?";
}

int indexNamed(const std::vector<WelcomeStop>& stops, const std::string& name) {
    for (std::size_t i = 0; i < stops.size(); ++i) {
        if (nameOf(stops[i]) == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

TEST(WelcomeLayout, StopsComeInReadingOrderAndAClickFindsItsStop) {
    WelcomeLayoutInput input = page(1000, 300, 3, 2);
    input.updateBanner = true;
    input.elevationBanner = true;
    input.scroll = 40;
    const WelcomeLayout layout = layoutWelcomePage(input);
    const std::vector<WelcomeStop> stops = welcomeStops(layout);
    std::vector<std::string> names;
    for (const WelcomeStop& stop : stops) {
        names.push_back(nameOf(stop));
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"u", "e", "d0", "d1", "d2", "f0", "f1", "c", "m", "p"}));
    EXPECT_EQ(stops[0].rect, layout.updateButton);
    EXPECT_EQ(stops[4].rect, layout.items[3].rect);
    // A click lands on the stop under it, wherever the page is scrolled; gaps and headings have
    // none.
    for (std::size_t i = 0; i < stops.size(); ++i) {
        SCOPED_TRACE(names[i]);
        const PageRect& rect = stops[i].rect;
        EXPECT_EQ(stopAt(stops, layout, (rect.left + rect.right) / 2,
                         (rect.top + rect.bottom) / 2 - layout.scroll),
                  static_cast<int>(i));
    }
    const PageRect& heading = layout.items[0].rect;
    EXPECT_EQ(stopAt(stops, layout, heading.left + 5, heading.top + 5 - layout.scroll), -1);
    EXPECT_EQ(stopAt(stops, layout, layout.updateBanner.left + 5,
                     layout.updateBanner.top + 5 - layout.scroll),
              -1);

    // Without banners or cards the button and the links remain.
    EXPECT_EQ(welcomeStops(layoutWelcomePage(page(1000, 300, 0, 0))).size(), 3u);
}

TEST(WelcomeLayout, TheKeysMoveTheFocusAlongRowsAndToTheNearestStopAboveOrBelow) {
    // Three drives and five folders under both banners: the banners' buttons sit at the right,
    // the odd cards alone at the left, the choose button at the left, the links in the middle.
    WelcomeLayoutInput input = page(1000, 300, 3, 5);
    input.updateBanner = true;
    input.elevationBanner = true;
    const std::vector<WelcomeStop> stops = welcomeStops(layoutWelcomePage(input));
    const struct {
        const char* from;
        FocusMove move;
        const char* to;
    } cases[] = {
        {"d0", FocusMove::Right, "d1"},
        {"d1", FocusMove::Left, "d0"},
        {"d1", FocusMove::Right, "d2"},  // past the row's end: the next row's first
        {"d2", FocusMove::Left, "d1"},
        {"u", FocusMove::Left, "u"},  // the first stop goes nowhere
        {"p", FocusMove::Right, "p"},
        {"m", FocusMove::Right, "p"},
        {"d0", FocusMove::Down, "d2"},
        {"d1", FocusMove::Down, "d2"},  // the row below has only its left card
        {"d2", FocusMove::Down, "f0"},  // across the folders' heading
        {"f1", FocusMove::Up, "d2"},
        {"d2", FocusMove::Up, "d0"},
        {"f3", FocusMove::Down, "f4"},
        {"f4", FocusMove::Down, "c"},
        {"f3", FocusMove::Up, "f1"},
        {"c", FocusMove::Up, "f4"},
        {"c", FocusMove::Down, "m"},  // the maker's link is nearer the left
        {"m", FocusMove::Up, "c"},
        {"p", FocusMove::Up, "c"},
        {"p", FocusMove::Down, "p"},  // nothing below the footer
        {"u", FocusMove::Down, "e"},
        {"e", FocusMove::Down, "d1"},  // the button is at the right
        {"d0", FocusMove::Up, "e"},
        {"u", FocusMove::Up, "u"},
        {"f2", FocusMove::Next, "f3"},
        {"f2", FocusMove::Previous, "f1"},
        {"p", FocusMove::Next, "p"},
        {"u", FocusMove::Previous, "u"},
        {"f2", FocusMove::First, "u"},
        {"f2", FocusMove::Last, "p"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " moved " + std::to_string(static_cast<int>(c.move)));
        const int from = indexNamed(stops, c.from);
        ASSERT_GE(from, 0);
        EXPECT_EQ(nameOf(stops[static_cast<std::size_t>(moveFocus(stops, from, c.move))]), c.to);
    }
    // Before anything has the focus, every move starts at an end.
    for (const FocusMove move : {FocusMove::Next, FocusMove::Right, FocusMove::Down, FocusMove::Up,
                                 FocusMove::Left, FocusMove::First}) {
        EXPECT_EQ(moveFocus(stops, -1, move), 0);
    }
    EXPECT_EQ(moveFocus(stops, -1, FocusMove::Previous), indexNamed(stops, "p"));
    EXPECT_EQ(moveFocus(stops, -1, FocusMove::Last), indexNamed(stops, "p"));
    EXPECT_EQ(moveFocus({}, -1, FocusMove::Next), -1);
}

TEST(WelcomeLayout, TheFocusStaysOnItsStopWhenThePageChangesAroundIt) {
    WelcomeLayoutInput input = page(1000, 300, 2, 4);
    const std::vector<WelcomeStop> before = welcomeStops(layoutWelcomePage(input));
    input.updateBanner = true;  // a stop comes first now
    const std::vector<WelcomeStop> banner = welcomeStops(layoutWelcomePage(input));
    input = page(1000, 300, 2, 1);
    const std::vector<WelcomeStop> fewer = welcomeStops(layoutWelcomePage(input));
    const WelcomeStop gone{StopKind::Card, 1, -1, {}};  // a card that no longer exists

    const struct {
        const char* what;
        const std::vector<WelcomeStop>* after;
        WelcomeStop old;
        int oldIndex;
        int kept;
    } cases[] = {
        {"a card, moved by the banner", &banner, before[3], 3, 4},
        {"the choose button", &banner, before[6], 6, 7},
        {"a link, with fewer cards", &fewer, before[7], 7, 4},
        {"a card that went: the same place", &fewer, gone, 2, 2},
        {"a card that went from the end: the last", &fewer, gone, 9, 5},
        {"nothing focused", &banner, WelcomeStop{}, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(keptFocus(*c.after, c.old, c.oldIndex), c.kept);
    }
    EXPECT_EQ(keptFocus({}, before[0], 0), -1);
}

TEST(WelcomeLayout, AFocusedStopIsScrolledIntoViewByTheLeastMove) {
    const struct {
        int top;
        int bottom;
        int scroll;
        int kept;
    } cases[] = {
        {100, 150, 0, 0},     // in view
        {100, 150, 92, 92},   // in view with the margin just fitting
        {100, 150, 95, 92},   // above: its top and margin at the window's top
        {100, 150, 600, 92},  // far above
        {250, 300, 0, 108},   // below: its bottom and margin at the window's bottom
        {180, 192, 0, 0},     // the margin just fits below
        {100, 400, 50, 92},   // taller than the window: the top wins
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.top) + " at " + std::to_string(c.scroll));
        EXPECT_EQ(scrollToShow({0, c.top, 10, c.bottom}, 8, c.scroll, 200), c.kept);
    }
}

TEST(WelcomeLayout, TheUsageBarTurnsRedPastNineTenthsAndNeverShowsLessThanAHundredth) {
    const struct {
        std::int64_t total;
        std::int64_t free;
        int filled;  // of a 200-pixel bar from 100
        std::uint32_t colour;
    } cases[] = {
        {1000, 50, 190, kUsageFull},     // 95 % full
        {1000, 100, 180, kUsageNormal},  // exactly 90 %: not past it
        {1000, 99, 180, kUsageFull},     // 90.1 %
        {1000, 1000, 2, kUsageNormal},   // empty: still a hundredth
        {1000, 999, 2, kUsageNormal},    // 0.1 %
        {1000, 0, 200, kUsageFull},      // full
        {1000, -500, 200, kUsageFull},   // more used than there is: cut at all of it
        {0, 0, 2, kUsageNormal},         // nothing known
        {3, 2, 66, kUsageNormal},        // a third, truncated
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.total) + " with " + std::to_string(c.free) + " free");
        const UsageBar bar = usageBar(c.total, c.free, 100, 300);
        EXPECT_EQ(bar.filledRight, 100 + c.filled);
        EXPECT_EQ(bar.colour, c.colour);
    }
    EXPECT_EQ(kUsageFull, 0x4652D6u);    // RGB(214, 82, 70)
    EXPECT_EQ(kUsageNormal, 0xD08C48u);  // RGB(72, 140, 208)
}

TEST(WelcomeLayout, DriveTitlesAndUsageLines) {
    EXPECT_EQ(driveTitle(u"C:\\"), u"C:");
    EXPECT_EQ(driveTitle(u"C:\\Mount\\Data\\"), u"C:\\Mount\\Data");
    EXPECT_EQ(driveTitle(u"\\\\server\\share\\\\"), u"\\\\server\\share");
    EXPECT_EQ(driveTitle(u"\\\\"), u"\\");
    EXPECT_EQ(driveTitle(u"\\"), u"\\");
    EXPECT_EQ(usageLine(500'000'000'000, 120'000'000'000),
              u"380.0 GB used of 500.0 GB  \u00B7  120.0 GB free");
}

}  // namespace
}  // namespace panes
