#pragma once

// Where everything on the start page goes, what the pointer is over, and how a drive's usage bar
// is drawn: plain arithmetic over the client size, the DPI and a few measured text widths, so
// the window only paints these rectangles and forwards input.

#include "ui/box.h"
#include "ui/focus_move.h"

#include <cstdint>
#include <string>
#include <vector>

namespace panes {

// The footer's texts, measured by the window for the layout and drawn by it, and the maker's
// address its first link opens.
inline constexpr char16_t kBuiltBy[] = u"Built by ";
inline constexpr char16_t kMakerName[] = u"Zozadarizo Zuve";
inline constexpr char16_t kMakerAddress[] = u"https://zozadarizo.dev/";
inline constexpr char16_t kFooterSeparator[] = u"  \u00B7  ";

// Page rectangles are unscrolled: the window moves them up by the scroll offset before it
// paints or tests them.
using PageRect = ui::Box;

// One placed heading or card. `card` indexes the drive cards for section 0 and the folder cards
// for section 1; it is -1 for a heading.
struct PlacedItem {
    PageRect rect;
    bool heading = false;
    int section = 0;  // 0 drives, 1 folders
    int card = -1;
};

// What the page is laid out from. The four widths and the height are those of the footer's
// texts in the small font, measured by the window.
struct WelcomeLayoutInput {
    int clientWidth = 0;
    int clientHeight = 0;
    int dpi = 96;
    int driveCount = 0;
    int folderCount = 0;
    bool updateBanner = false;
    bool elevationBanner = false;
    int builtByWidth = 0;    // "Built by "
    int makerWidth = 0;      // the maker's name
    int separatorWidth = 0;  // "  ·  "
    int hostWidth = 0;       // the product's host name
    int footerHeight = 0;
    int scroll = 0;  // the offset before this layout; clamped into the result
};

struct WelcomeLayout {
    int columnLeft = 0;
    int columnWidth = 0;
    PageRect header;
    PageRect updateBanner;  // empty unless shown, and so its button
    PageRect updateButton;
    PageRect elevationBanner;
    PageRect elevationButton;
    std::vector<PlacedItem> items;  // in page order: heading, then cards row by row
    PageRect chooseButton;
    PageRect footer;
    PageRect makerLink;
    PageRect productLink;
    int contentHeight = 0;
    int scroll = 0;  // kept within 0 .. contentHeight - clientHeight
};

// The column is at most 760 pixels (at 96 DPI) wide with at least 24 on each side; drive and
// folder cards go two to a row under their headings, a section without cards is left out.
WelcomeLayout layoutWelcomePage(const WelcomeLayoutInput& input);

// The scroll offset kept within the page: at most contentHeight - clientHeight, at least 0.
int clampScroll(int scroll, int contentHeight, int clientHeight);
// The offset after a wheel turn of `delta` (120 a notch): 60 pixels a notch, unclamped.
int scrollAfterWheel(int scroll, int delta);

// What a client point is over. At most one field is set, tested in the order of a click: a
// link, the choose button, the elevation button, the download button, a card.
struct WelcomeHit {
    int link = -1;  // 0 the maker, 1 the product
    bool chooseButton = false;
    bool elevationButton = false;
    bool downloadButton = false;
    int item = -1;  // index into items, of a card

    bool anything() const {
        return link >= 0 || chooseButton || elevationButton || downloadButton || item >= 0;
    }
    friend bool operator==(const WelcomeHit&, const WelcomeHit&) = default;
};

WelcomeHit hitWelcomePage(const WelcomeLayout& layout, int x, int y);

// What the keyboard can focus on the page: the banners' buttons, the cards, the choose button
// and the footer's links, each with the rectangle a click on it would hit.
enum class StopKind { DownloadButton, ElevationButton, Card, ChooseButton, Link };

struct WelcomeStop {
    StopKind kind = StopKind::Card;
    int section = -1;  // a card's: 0 drives, 1 folders; -1 otherwise
    int index = -1;    // a card's number in its section, or a link's (0 the maker, 1 the
                       // product); -1 for a button
    PageRect rect;

    // The same thing on the page, wherever it is placed now.
    bool sameAs(const WelcomeStop& other) const {
        return kind == other.kind && section == other.section && index == other.index;
    }
};

// The page's stops in reading order: the update banner's button, the elevation banner's, the
// cards row by row, the choose button, the maker's link, then the product's. Hidden banners
// have none.
std::vector<WelcomeStop> welcomeStops(const WelcomeLayout& layout);

// The stop a click at a client point activates, or -1: the stop of what hitWelcomePage finds.
int stopAt(const std::vector<WelcomeStop>& stops, const WelcomeLayout& layout, int x, int y);

using ui::FocusMove;

// The stop the focus goes to from stop `from` (-1 when none has it yet). Next and Previous
// follow reading order, and so do Left and Right, which makes them step along a row of cards
// and on to the next row from its end. Up and Down go to the nearest row above or below and
// pick its stop whose horizontal centre is nearest (the first in reading order on a tie). First
// and Last are the ends. A move with nowhere to go answers `from`; from none every move lands on
// the first stop, but Previous and Last on the last. No stops: -1.
int moveFocus(const std::vector<WelcomeStop>& stops, int from, FocusMove move);

// Where the focus stands once the page was laid out again: on the same stop when it is still
// there (it may have moved, or a banner may have come before it), else on stop `oldIndex` kept
// within the new list. -1 when nothing had the focus or there are no stops.
int keptFocus(const std::vector<WelcomeStop>& stops, const WelcomeStop& old, int oldIndex);

// The scroll offset that brings `rect` with `margin` around it into a window of `clientHeight`
// scrolled by `scroll`: unchanged when it is in view already, else the least move (the top wins
// when the rectangle is taller than the window). Unclamped.
int scrollToShow(const PageRect& rect, int margin, int scroll, int clientHeight);

// A drive's usage bar between `left` and `right`: the part filled for used / total, at least a
// hundredth and at most all of it, red past nine tenths and blue otherwise.
struct UsageBar {
    int filledRight = 0;
    std::uint32_t colour = 0;  // 0x00BBGGRR
};
inline constexpr std::uint32_t kUsageNormal = 0xD08C48;  // RGB(72, 140, 208)
inline constexpr std::uint32_t kUsageFull = 0x4652D6;    // RGB(214, 82, 70)
UsageBar usageBar(std::int64_t total, std::int64_t free, int left, int right);

// "12.3 GB used of 50.0 GB  ·  37.7 GB free".
std::u16string usageLine(std::int64_t total, std::int64_t free);

// A drive's card title: its root without trailing backslashes, never shorter than 2 characters.
std::u16string driveTitle(std::u16string root);

}  // namespace panes
