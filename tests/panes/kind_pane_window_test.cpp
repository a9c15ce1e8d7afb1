// The file kinds pane inside the real main window: its rows from real scans, their orders
// chosen with clicks on its header, the measure and the size setting, a running scan, the
// colour squares and the wheel.

#include "app/commands.h"
#include "history/history_format.h"
#include "scan/file_kinds.h"
#include "treemap/kind_colours.h"
#include "ui/theme_win32.h"

#include "main_window_fixture.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace app {
namespace {

namespace fs = std::filesystem;

class KindPaneWindowTest : public windowtest::MainWindowFixture {
  protected:
    // Three kinds: three small documents, two middling Zip archives and one large JPEG image.
    fs::path makeThreeKinds() const {
        const fs::path root = scratch_ / "kinds";
        writeFile(root / "a.txt", 10'000);
        writeFile(root / "b.txt", 10'001);
        writeFile(root / "inner" / "c.txt", 10'002);
        writeFile(root / "a.zip", 100'000);
        writeFile(root / "inner" / "b.zip", 100'001);
        writeFile(root / "photo.jpg", 400'000);
        return root;
    }

    static const panes::KindPane& pane(const MainWindow& main) { return *main.kindPane(); }

    static std::vector<std::u16string> shownNames(const MainWindow& main) {
        std::vector<std::u16string> names;
        for (const panes::KindRow& row : pane(main).table().rows()) {
            names.push_back(scan::kindName(row.kind));
        }
        return names;
    }

    // A click on the pane's header, `x` pixels from its left edge (negative: from its right).
    static void clickHeader(const MainWindow& main, int x) {
        const HWND window = pane(main).window();
        RECT client{};
        GetClientRect(window, &client);
        const int at = x >= 0 ? x : client.right + x;
        harness::clickAt(window, {at, 12});
    }

    // Per kind, what the store says its files hold: logical or allocated bytes and the count.
    struct Sums {
        std::int64_t bytes = 0;
        std::int64_t files = 0;
    };
    static std::map<scan::FileKind, Sums> sumsOf(const MainWindow& main, bool logical) {
        const scan::NodeStore& store = main.controller().scanner()->store();
        std::map<scan::FileKind, Sums> sums;
        for (scan::NodeId row = 0; row < store.publishedCount(); ++row) {
            if (!store.hasFlag(row, scan::FlagFolder)) {
                Sums& sum = sums[store.kind.get(row)];
                sum.bytes += static_cast<std::int64_t>(logical ? store.size.get(row)
                                                               : store.allocated.get(row));
                ++sum.files;
            }
        }
        return sums;
    }
    static void expectRowsAre(const MainWindow& main, const std::map<scan::FileKind, Sums>& sums) {
        const auto& rows = pane(main).table().rows();
        ASSERT_EQ(rows.size(), sums.size());
        for (const panes::KindRow& row : rows) {
            SCOPED_TRACE(row.kind);
            ASSERT_EQ(sums.count(row.kind), 1u);
            EXPECT_EQ(row.total, sums.at(row.kind).bytes);
            EXPECT_EQ(row.files, sums.at(row.kind).files);
        }
    }
};

TEST_F(KindPaneWindowTest, ThreeKindsGiveThreeRowsInTheOrderTheHeaderChooses) {
    const fs::path root = makeThreeKinds();
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    ASSERT_TRUE(scanToTheEnd(main, root.u16string()));
    const HWND window = pane(main).window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetDlgCtrlID(window), ControlKindsPane);
    EXPECT_TRUE(IsWindowVisible(window));
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    EXPECT_EQ(std::wstring(className), L"RozovizovKindPane");

    using Names = std::vector<std::u16string>;
    EXPECT_EQ(shownNames(main), (Names{u"JPEG image", u"Zip archive", u"Document"}));
    EXPECT_EQ(pane(main).table().caption(panes::KindColumnSize), u"Size  \u2193");
    expectRowsAre(main, sumsOf(main, false));

    clickHeader(main, 40);  // "Kind"
    EXPECT_EQ(shownNames(main), (Names{u"Document", u"JPEG image", u"Zip archive"}));
    EXPECT_EQ(pane(main).table().caption(panes::KindColumnName), u"Kind  \u2191");
    clickHeader(main, 40);
    EXPECT_EQ(shownNames(main), (Names{u"Zip archive", u"JPEG image", u"Document"}));
    EXPECT_EQ(pane(main).table().caption(panes::KindColumnName), u"Kind  \u2193");
    clickHeader(main, -20);  // "Files"
    EXPECT_EQ(shownNames(main), (Names{u"Document", u"Zip archive", u"JPEG image"}));
    EXPECT_EQ(pane(main).table().caption(panes::KindColumnFiles), u"Files  \u2193");
    clickHeader(main, 8);  // the colour column
    EXPECT_EQ(pane(main).table().sortColumn(), panes::KindColumnFiles);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 60));
    EXPECT_EQ(pane(main).table().sortColumn(), panes::KindColumnFiles) << "rows are not captions";
    clickHeader(main, -100);  // "Size"
    EXPECT_EQ(shownNames(main), (Names{u"JPEG image", u"Zip archive", u"Document"}));

    // Each row's square in its kind's colour, as the treemap paints it; rows alternate.
    const int rowTop = 24;
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const std::uint32_t argb =
            treemap::KindColours().colourOf(pane(main).table().rows()[i].kind);
        const COLORREF expected = RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
        EXPECT_EQ(harness::repaintedPixel(window, 9, rowTop + 18 * static_cast<int>(i) + 9),
                  expected);
    }
    const ui::Palette& colours = ui::palette();
    // The clicks gave the pane the keyboard, whose frame lies along its edges; its own colours
    // show once the keyboard is elsewhere.
    EXPECT_EQ(harness::repaintedPixel(window, 1, rowTop + 1), colours.focusMark);
    SetFocus(nullptr);
    EXPECT_EQ(harness::repaintedPixel(window, 1, rowTop + 1), colours.paneBackground);
    EXPECT_EQ(harness::repaintedPixel(window, 1, rowTop + 18 + 1), colours.alternateRow);
    EXPECT_EQ(harness::repaintedPixel(window, 1, 5), colours.headerBackground);
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(KindPaneWindowTest, WithoutConsistentColoursEachKindTakesTheColourOfItsRank) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    ASSERT_TRUE(scanToTheEnd(main, makeThreeKinds().u16string()));
    const HWND window = pane(main).window();
    // The square of the row at `position`, largest kind first.
    const auto square = [&](int position) {
        return harness::repaintedPixel(window, 9, 24 + 18 * position + 9);
    };
    const auto shade = [](std::uint32_t argb) {
        return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
    };
    const auto ownColour = [&](int position) {
        return shade(treemap::tableColour(pane(main).table().rows()[position].kind));
    };

    SendMessageW(main.window(), WM_COMMAND, CommandConsistentKindColours, 0);
    EXPECT_FALSE(settings_.consistentKindColours());
    // Ranked kinds take the table's colours from the fifth on, the largest kind first.
    for (int position = 0; position < 3; ++position) {
        SCOPED_TRACE(position);
        EXPECT_EQ(square(position), shade(treemap::tableColour(4 + position)));
    }
    EXPECT_NE(square(0), ownColour(0)) << "a JPEG image's own colour is not the fifth";

    SendMessageW(main.window(), WM_COMMAND, CommandConsistentKindColours, 0);
    EXPECT_TRUE(settings_.consistentKindColours());
    for (int position = 0; position < 3; ++position) {
        SCOPED_TRACE(position);
        EXPECT_EQ(square(position), ownColour(position));
    }
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(KindPaneWindowTest, RowsFollowTheMeasureTheSizeSettingAndTheKindsPanelSetting) {
    const fs::path root = makeThreeKinds();
    // A previous scan of the root, dated so that every file is older.
    const history::HistoryMap previous{
        {history::lowerCaseAscii(scan::normalisePath(root.u16string())),
         static_cast<std::uint32_t>(std::time(nullptr) + 86'400)}};
    std::ofstream(scratch_ / "scan-history.txt", std::ios::binary)
        << history::formatHistory(previous);
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    ASSERT_TRUE(scanToTheEnd(main, root.u16string()));
    ASSERT_NE(main.controller().previousScan(), 0u);
    const auto allocated = sumsOf(main, false);
    const auto logical = sumsOf(main, true);
    ASSERT_NE(allocated.begin()->second.bytes, logical.begin()->second.bytes)
        << "the bytes on disk must differ from the lengths for this test to tell them apart";

    settings_.setShowPhysicalFileSize(false);
    expectRowsAre(main, logical);
    settings_.setShowPhysicalFileSize(true);
    expectRowsAre(main, allocated);

    // Every file is new, so what was added in the last month is all of it, on disk.
    chooseMeasure(main, 1);
    expectRowsAre(main, allocated);

    // Nothing was added since the previous scan, which the history dates to tomorrow, and
    // every kind keeps its row.
    chooseMeasure(main, 3);
    ASSERT_EQ(main.measure(), scan::MeasureAddedSinceScan);
    ASSERT_EQ(pane(main).table().rows().size(), 3u);
    for (const panes::KindRow& row : pane(main).table().rows()) {
        EXPECT_EQ(row.total, 0);
        EXPECT_GT(row.files, 0);
    }

    // The View menu's "File Kinds Panel" hides and shows the pane.
    main.command(CommandFileKindsPanel);
    EXPECT_FALSE(IsWindowVisible(pane(main).window()));
    main.command(CommandFileKindsPanel);
    EXPECT_TRUE(IsWindowVisible(pane(main).window()));

    // Back on the welcome view the pane is hidden and its scan forgotten.
    main.command(CommandOpen);
    EXPECT_FALSE(IsWindowVisible(pane(main).window()));
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(KindPaneWindowTest, RowsGrowWithARunningScanAndHoldTheFinalTotalsAtItsEnd) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    main.openScan(u"Z:\\usr");
    const auto filesShown = [&] {
        std::int64_t files = 0;
        for (const panes::KindRow& row : pane(main).table().rows()) {
            files += row.files;
        }
        return files;
    };
    ASSERT_TRUE(pumpUntil(main, [&] { return filesShown() > 0; }));
    ASSERT_TRUE(main.controller().running()) << "the folder must outlast the first rows";
    const std::int64_t early = filesShown();
    ASSERT_TRUE(pumpUntil(main, [&] { return filesShown() > early; }))
        << "the progress tick reloads the rows";
    SendMessageW(GetDlgItem(main.window(), ControlStop), BM_CLICK, 0, 0);
    ASSERT_TRUE(pumpUntil(main, [&] { return statusStartsWith(main, u"Scan stopped"); }));
    // After the end the rows hold the final totals.
    std::int64_t files = 0;
    for (const scan::KindTotal& total :
         scan::kindTotals(main.controller().scanner()->kindTotals(), 0, false)) {
        files += static_cast<std::int64_t>(total.files);
    }
    EXPECT_EQ(filesShown(), files);
    EXPECT_EQ(filesShown(),
              static_cast<std::int64_t>(main.controller().scanner()->store().fileCount.get(0)));

    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(KindPaneWindowTest, ManyKindsScrollByWheelAndBarAndTheSmallFontShortensTheRows) {
    // Thirty kinds, one file each.
    const fs::path root = scratch_ / "many";
    fs::create_directories(root);
    const char* extensions[] = {"txt", "pdf",  "xls", "ppt", "jpg", "png", "heic", "tif",
                                "gif", "webp", "bmp", "raw", "svg", "psd", "mp4",  "wmv",
                                "mov", "mkv",  "ts",  "mp3", "m4a", "wma", "wav",  "iso",
                                "zip", "7z",   "gz",  "bz2", "xz",  "tar"};
    for (const char* extension : extensions) {
        std::ofstream(root / (std::string("file.") + extension), std::ios::binary) << "kind";
    }
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    SetWindowPos(main.window(), nullptr, 0, 0, 1200, 360, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(scanToTheEnd(main, root.u16string()));
    ASSERT_EQ(pane(main).table().rows().size(), 30u);
    const int rows = 30;

    const HWND window = pane(main).window();
    RECT client{};
    GetClientRect(window, &client);
    const int page = client.bottom - 24;
    ASSERT_GT(rows * 18, page + 54) << "the pane must show fewer rows than there are";
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ASSERT_NE(GetScrollInfo(window, SB_VERT, &info), 0);
    EXPECT_EQ(info.nMax, rows * 18 - 1);
    EXPECT_EQ(static_cast<int>(info.nPage), page);
    EXPECT_EQ(info.nPos, 0);
    harness::turnWheel(window, -WHEEL_DELTA);
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int notch = std::min(18 * static_cast<int>(lines), rows * 18 - page);
    EXPECT_EQ(pane(main).table().scrollPos(), notch);
    GetScrollInfo(window, SB_VERT, &info);
    EXPECT_EQ(info.nPos, notch);
    // The row that came to the top is painted there, below the header that stays.
    const std::size_t top = static_cast<std::size_t>(notch / 18);
    const std::uint32_t argb = treemap::KindColours().colourOf(pane(main).table().rows()[top].kind);
    EXPECT_EQ(harness::repaintedPixel(window, 9, 24 + 9),
              RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF));
    EXPECT_EQ(harness::repaintedPixel(window, 1, 24 + 1),
              top % 2 == 0 ? ui::palette().paneBackground : ui::palette().alternateRow);
    EXPECT_EQ(harness::repaintedPixel(window, 1, 5), ui::palette().headerBackground);
    SendMessageW(window, WM_VSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0);
    EXPECT_EQ(pane(main).table().scrollPos(), notch - 18);
    SendMessageW(window, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    EXPECT_EQ(pane(main).table().scrollPos(), std::min(notch - 18 + page, rows * 18 - page));
    SendMessageW(window, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    SendMessageW(window, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    EXPECT_EQ(pane(main).table().scrollPos(), rows * 18 - page)
        << "the last row ends at the bottom";

    // The small font's rows are 16 high at the next reload.
    settings_.setSmallFontKinds(true);
    GetScrollInfo(window, SB_VERT, &info);
    EXPECT_EQ(info.nMax, rows * 16 - 1);
    EXPECT_EQ(info.nPos, rows * 16 - page);
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

}  // namespace
}  // namespace app
