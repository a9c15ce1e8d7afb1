// The file kinds table without a window: its orders and header clicks, its columns, and how far
// its rows scroll.

#include "panes/kind_table.h"
#include "panes/wheel_scroll.h"

#include "scan/file_kinds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace panes {
namespace {

scan::FileKind kindOf(std::u16string_view name) {
    scan::ensureKindTable();
    return scan::classify(name);
}

std::vector<std::u16string> namesOf(const KindTable& table) {
    std::vector<std::u16string> names;
    for (const KindRow& row : table.rows()) {
        names.push_back(scan::kindName(row.kind));
    }
    return names;
}

// Documents: many small files; a JPEG image: one large; Zip archives: in between.
std::vector<scan::KindTotal> threeKinds() {
    return {{kindOf(u"a.zip"), 200'000, 2},
            {kindOf(u"a.txt"), 30'000, 3},
            {kindOf(u"a.jpg"), 400'000, 1}};
}

TEST(KindTableTest, HeaderClicksCycleTheThreeOrdersAndTheirArrows) {
    KindTable table;
    table.setRows(threeKinds());
    using Names = std::vector<std::u16string>;
    EXPECT_EQ(namesOf(table), (Names{u"JPEG image", u"Zip archive", u"Document"}))
        << "a new table is sorted by size, largest first";
    EXPECT_EQ(table.caption(KindColumnSize), u"Size  \u2193");
    EXPECT_EQ(table.caption(KindColumnName), u"Kind");
    EXPECT_EQ(table.caption(KindColumnFiles), u"Files");

    table.clickHeader(KindColumnName);
    EXPECT_EQ(namesOf(table), (Names{u"Document", u"JPEG image", u"Zip archive"}));
    EXPECT_EQ(table.caption(KindColumnName), u"Kind  \u2191");
    EXPECT_EQ(table.caption(KindColumnSize), u"Size");
    table.clickHeader(KindColumnName);
    EXPECT_EQ(namesOf(table), (Names{u"Zip archive", u"JPEG image", u"Document"}));
    EXPECT_EQ(table.caption(KindColumnName), u"Kind  \u2193");

    table.clickHeader(KindColumnFiles);
    EXPECT_EQ(namesOf(table), (Names{u"Document", u"Zip archive", u"JPEG image"}))
        << "a number column starts with the largest";
    EXPECT_EQ(table.caption(KindColumnFiles), u"Files  \u2193");
    table.clickHeader(KindColumnSize);
    table.clickHeader(KindColumnSize);
    EXPECT_EQ(namesOf(table), (Names{u"Document", u"Zip archive", u"JPEG image"}));
    EXPECT_EQ(table.caption(KindColumnSize), u"Size  \u2191");

    // A reload keeps the order chosen, and rows of nothing under the measure stay.
    std::vector<scan::KindTotal> none = threeKinds();
    for (scan::KindTotal& total : none) {
        total.value = 0;
    }
    table.setRows(none);
    ASSERT_EQ(table.rows().size(), 3u);
    EXPECT_EQ(table.sortColumn(), KindColumnSize);
    EXPECT_TRUE(table.ascending());
    for (const KindRow& row : table.rows()) {
        EXPECT_EQ(row.total, 0);
        EXPECT_GT(row.files, 0);
    }
}

TEST(KindTableTest, ColumnsShareTheWidthAndTheHeaderAnswersWhereCaptionsAre) {
    const KindPaneMetrics m = KindPaneMetrics::at(96, false);
    const KindColumns wide = KindColumns::forWidth(300, m);
    EXPECT_EQ(wide.kindLeft, 20);
    EXPECT_EQ(wide.sizeLeft, 158);
    EXPECT_EQ(wide.filesLeft, 232);
    EXPECT_EQ(wide.filesRight, 300);
    const struct {
        int x;
        std::optional<KindColumn> column;
    } cases[] = {
        {0, std::nullopt},      {19, std::nullopt},     {20, KindColumnName},
        {157, KindColumnName},  {158, KindColumnSize},  {231, KindColumnSize},
        {232, KindColumnFiles}, {299, KindColumnFiles}, {300, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(wide.columnAt(c.x), c.column);
    }
    // A narrow pane keeps the Kind column's minimum; the numbers run past the edge.
    const KindColumns narrow = KindColumns::forWidth(100, m);
    EXPECT_EQ(narrow.sizeLeft - narrow.kindLeft, 60);
    EXPECT_EQ(narrow.filesRight, 20 + 60 + 74 + 68);
    // At twice the DPI every length doubles.
    EXPECT_EQ(KindColumns::forWidth(600, KindPaneMetrics::at(192, false)).sizeLeft, 316);
}

TEST(KindTableTest, ScrollingStaysWithinTheRowsAndMovesByRowsPagesAndWheelNotches) {
    std::vector<scan::KindTotal> totals;
    for (std::uint64_t kind = 0; kind < 100; ++kind) {
        totals.push_back({kind, kind * 10, 1});
    }
    KindTable table;
    table.setRows(totals);
    table.setGeometry(200, KindPaneMetrics::at(96, false));
    ScrollRange range = table.scrollRange();
    EXPECT_EQ(range.maximum, 100 * 18 - 1);
    EXPECT_EQ(range.page, 176);
    EXPECT_EQ(range.position, 0);

    table.scroll(ScrollAction::LineDown);
    EXPECT_EQ(table.scrollPos(), 18);
    table.scroll(ScrollAction::PageDown);
    EXPECT_EQ(table.scrollPos(), 18 + 176);
    table.scroll(ScrollAction::LineUp);
    EXPECT_EQ(table.scrollPos(), 176);
    table.scroll(ScrollAction::None);
    EXPECT_EQ(table.scrollPos(), 176);
    table.wheel(-120, 3);
    EXPECT_EQ(table.scrollPos(), 176 + 54) << "a notch down scrolls three rows of 18";
    EXPECT_EQ(table.firstRow().index, 230u / 18);
    EXPECT_EQ(table.firstRow().top, 24 - 230 % 18);

    table.wheel(-120, kWheelPageScroll);
    EXPECT_EQ(table.scrollPos(), 230 + 176) << "\"one screen at a time\": a page down";

    table.scroll(ScrollAction::Track, 1'000'000);
    EXPECT_EQ(table.scrollPos(), 100 * 18 - 176) << "the last row ends at the bottom";
    table.scroll(ScrollAction::PageUp);
    table.wheel(120 * 100, 3);
    EXPECT_EQ(table.scrollPos(), 0);

    // The small font's rows are 16 high from the next geometry on.
    table.scroll(ScrollAction::Track, 1'000'000);
    table.setGeometry(200, KindPaneMetrics::at(96, true));
    range = table.scrollRange();
    EXPECT_EQ(range.maximum, 100 * 16 - 1);
    EXPECT_EQ(range.position, 100 * 16 - 176) << "the position is clamped to the shorter rows";

    // Fewer rows than fit: nothing to scroll. No rows at all: an empty range.
    table.setRows({totals.begin(), totals.begin() + 5});
    EXPECT_EQ(table.scrollRange().position, 0);
    table.setRows({});
    range = table.scrollRange();
    EXPECT_EQ(range.maximum, 0);
    EXPECT_EQ(range.position, 0);
    // A pane shorter than its header has no page.
    table.setGeometry(10, KindPaneMetrics::at(96, false));
    EXPECT_EQ(table.scrollRange().page, 0);
}

TEST(KindTableTest, KeysScrollAndChooseTheOrderAsTheMouseWould) {
    std::vector<scan::KindTotal> totals;
    for (std::uint64_t kind = 0; kind < 100; ++kind) {
        totals.push_back({kind, kind * 10, 1});
    }
    KindTable table;
    table.setRows(totals);
    table.setGeometry(200, KindPaneMetrics::at(96, false));
    constexpr int kDown = 0x28;
    constexpr int kUp = 0x26;
    constexpr int kEnd = 0x23;
    constexpr int kHome = 0x24;
    constexpr int kPageDown = 0x22;
    constexpr int kLeft = 0x25;
    constexpr int kRight = 0x27;
    constexpr int kSpace = 0x20;

    EXPECT_FALSE(table.key(kUp)) << "already at the top";
    EXPECT_TRUE(table.key(kDown));
    EXPECT_EQ(table.scrollPos(), 18);
    EXPECT_TRUE(table.key(kPageDown));
    EXPECT_EQ(table.scrollPos(), 18 + 176);
    EXPECT_TRUE(table.key(kEnd));
    EXPECT_EQ(table.scrollPos(), 100 * 18 - 176);
    EXPECT_FALSE(table.key(kDown)) << "already at the bottom";
    EXPECT_TRUE(table.key(kHome));
    EXPECT_EQ(table.scrollPos(), 0);

    // Size, largest first, is where the table starts; Left goes to Kind from A.
    ASSERT_EQ(table.sortColumn(), KindColumnSize);
    EXPECT_TRUE(table.key(kLeft));
    EXPECT_EQ(table.sortColumn(), KindColumnName);
    EXPECT_TRUE(table.ascending());
    EXPECT_FALSE(table.key(kLeft)) << "no caption left of Kind";
    EXPECT_TRUE(table.key(kSpace));
    EXPECT_FALSE(table.ascending()) << "Space turns the order round";
    EXPECT_TRUE(table.key(kRight));
    EXPECT_TRUE(table.key(kRight));
    EXPECT_EQ(table.sortColumn(), KindColumnFiles);
    EXPECT_FALSE(table.ascending()) << "numbers start from the largest";
    EXPECT_FALSE(table.key(kRight));
    EXPECT_FALSE(table.key('A')) << "other keys do nothing";
}

}  // namespace
}  // namespace panes
