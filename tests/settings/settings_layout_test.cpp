// The settings window's rows and hit tests, without a window: explanations are "measured" at a
// fixed 13 pixels a line of 60 characters.

#include "settings/settings_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace settings {
namespace {

int fakeHeight(const std::u16string& text, int width) {
    EXPECT_GT(width, 0);
    return 13 * static_cast<int>((text.size() + 59) / 60);
}

struct Laid {
    std::vector<SettingsRow> rows = settingsRows();
    SettingsGeometry geometry;
    Box reset;

    explicit Laid(int page) {
        geometry = {96, kSettingsClientWidth, kSettingsClientHeight};
        reset = layoutRows(rows, page, geometry, fakeHeight);
    }

    int indexOf(const std::u16string& label) const {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].label == label) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
};

TEST(SettingsLayout, TheTenSettingsSitOnTwoPagesWithTheirIdsInOrder) {
    const std::vector<SettingsRow> rows = settingsRows();
    std::vector<int> ids[2];
    int separators[2] = {0, 0};
    for (const SettingsRow& row : rows) {
        if (row.type == RowType::Separator) {
            ++separators[row.page];
        } else {
            ids[row.page].push_back(row.id);
        }
    }
    EXPECT_EQ(ids[0], (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(ids[1], (std::vector<int>{8, 9, 10}));
    EXPECT_EQ(separators[0], 4);
    EXPECT_EQ(separators[1], 1);
    EXPECT_NE(rows[10].explanation.find(u"Asks rozovizov.app whether"), std::u16string::npos);
}

TEST(SettingsLayout, RowsStackWithTheirExplanationsAndOnlyThePageShownMoves) {
    Laid general(0);
    const SettingsRow& first = general.rows[0];
    EXPECT_EQ(first.row, (Box{150, 24, 696, 24 + 22 + 6 + 39 + 8}));  // 3 lines of explanation
    EXPECT_EQ(first.checkBox, (Box{340, 27, 355, 42}));
    const SettingsRow& split = general.rows[1];
    EXPECT_EQ(split.row, (Box{150, 99, 696, 99 + 22 + 8}));
    const SettingsRow& line = general.rows[2];
    EXPECT_EQ(line.row, (Box{150, 129, 696, 147}));
    EXPECT_EQ(general.geometry.separatorY(line), 138);
    EXPECT_EQ(general.geometry.labelBox(split), (Box{364, 99, 696, 120}));
    EXPECT_EQ(general.reset, (Box{174, 578, 270, 606}));
    // The Treemap page's rows were not placed.
    EXPECT_EQ(general.rows[general.indexOf(u"Animated zooming")].row, Box{});

    Laid treemap(1);
    EXPECT_EQ(treemap.rows[treemap.indexOf(u"Animated zooming")].row.top, 24);
    EXPECT_EQ(treemap.rows[0].row, Box{});
}

TEST(SettingsLayout, PageEntriesAnswerOnlyInTheSidebarAndNotBetweenThem) {
    const Laid laid(0);
    const struct {
        int x;
        int y;
        int page;
    } cases[] = {
        {70, 17, -1}, {70, 18, 0}, {70, 51, 0},  {70, 52, -1}, {70, 53, -1}, {70, 55, -1},
        {70, 56, 1},  {70, 89, 1}, {70, 90, -1}, {0, 30, 0},   {149, 30, 0}, {150, 30, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(pageAt(laid.geometry, c.x, c.y), c.page);
    }
    const SettingsGeometry large{144, 1080, 930};
    EXPECT_EQ(large.pageEntry(1), (Box{12, 27 + 51 + 4, 213, 27 + 51 + 4 + 51}));
    EXPECT_EQ(pageAt(large, 200, 80), -1);  // the 4 unscaled pixels between the entries
    EXPECT_EQ(pageAt(large, 200, 82), 1);
}

TEST(SettingsLayout, OnlyTheCheckBoxBandOfASettingAnswersAClick) {
    const Laid laid(0);
    const int physical = laid.indexOf(u"Show physical file size");
    const SettingsRow& row = laid.rows[static_cast<std::size_t>(physical)];
    const struct {
        const char* where;
        int x;
        int y;
        int row;
    } cases[] = {
        {"check box", 345, 30, physical},
        {"label", 420, 34, physical},
        // The first row starts 3 pixels above its box, which cuts its band there.
        {"top of the row", 400, row.checkBox.top - 3, physical},
        {"above the row", 400, row.checkBox.top - 4, -1},
        {"band below the box", 400, row.checkBox.bottom + 3, physical},
        {"just below the band", 400, row.checkBox.bottom + 4, -1},
        {"explanation", 420, row.checkBox.bottom + 12, -1},
        {"left of the box", 339, 34, -1},
        {"section title", 250, 34, -1},
        {"a separator", 400, 138, -1},
        {"right margin", 700, 34, -1},
        {"below every row", 400, 560, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        EXPECT_EQ(rowAt(laid.rows, 0, laid.geometry, c.x, c.y), c.row);
    }
    // The same point on the other page finds that page's row, not this one.
    const Laid treemap(1);
    EXPECT_EQ(rowAt(treemap.rows, 1, treemap.geometry, 420, 34),
              treemap.indexOf(u"Animated zooming"));
    EXPECT_EQ(rowAt(treemap.rows, 0, treemap.geometry, 420, 34), -1);
}

TEST(SettingsLayout, TabGoesRoundEntriesBoxesAndResetAndTheArrowsStayAmongTheirKind) {
    const std::vector<SettingsRow> rows = settingsRows();
    // The Treemap page's boxes are rows 11, 13 and 14; "e0" and "e1" the page entries, "r"
    // Reset, "-" nothing yet or a box of the other page.
    const auto stop = [](const std::string& name) -> SettingsStop {
        if (name == "r") {
            return {StopKind::Reset, -1};
        }
        if (name[0] == 'e') {
            return {StopKind::PageEntry, name[1] - '0'};
        }
        if (name == "-") {
            return {};
        }
        return {StopKind::CheckBox, std::stoi(name)};
    };
    const struct {
        int page;
        const char* from;
        FocusMove move;
        const char* to;
    } cases[] = {
        {1, "-", FocusMove::Next, "e0"},
        {1, "-", FocusMove::Previous, "r"},
        {1, "-", FocusMove::Down, "11"},
        {1, "-", FocusMove::Up, "11"},
        {1, "0", FocusMove::Next, "e0"},  // a General box while the Treemap page shows
        {1, "e0", FocusMove::Next, "e1"},
        {1, "e1", FocusMove::Next, "11"},
        {1, "11", FocusMove::Next, "13"},  // over the separator
        {1, "14", FocusMove::Next, "r"},
        {1, "r", FocusMove::Next, "e0"},  // round again
        {1, "e0", FocusMove::Previous, "r"},
        {1, "11", FocusMove::Previous, "e1"},
        {0, "e1", FocusMove::Next, "0"},
        {0, "0", FocusMove::Down, "1"},
        {0, "1", FocusMove::Down, "3"},
        {0, "10", FocusMove::Down, "10"},  // the last box stays
        {0, "0", FocusMove::Up, "0"},      // and so does the first
        {0, "e0", FocusMove::Down, "e1"},
        {0, "e1", FocusMove::Down, "e1"},
        {0, "e1", FocusMove::Up, "e0"},
        {0, "r", FocusMove::Up, "r"},
        {0, "r", FocusMove::Down, "r"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " on page " + std::to_string(c.page) + " moved " +
                     std::to_string(static_cast<int>(c.move)));
        EXPECT_EQ(moveSettingsFocus(rows, c.page, stop(c.from), c.move), stop(c.to));
    }
    // Tab visits the General page's seven boxes between the entries and Reset.
    EXPECT_EQ(settingsStops(rows, 0).size(), 2u + 7u + 1u);
}

}  // namespace
}  // namespace settings
