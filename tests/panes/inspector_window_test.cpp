// The information and selection panels as the real main window shows them: made once by their
// View menu commands, hidden by their close boxes, filled for the node chosen in the treemap from
// a real scan of real files, and a click on the chain choosing a folder.

#include "app/commands.h"
#include "panes/file_facts_win32.h"
#include "panes/file_list_pane_win32.h"
#include "panes/information_panel_win32.h"
#include "panes/selection_panel_win32.h"
#include "scan/wide_text_win32.h"
#include "ui/formats.h"

#include "main_window_fixture.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

namespace app {
namespace {

namespace fs = std::filesystem;
using panes::InformationPanel;
using panes::SelectionPanel;

class InspectorWindowTest : public windowtest::MainWindowFixture {
  protected:
    static const scan::NodeStore& storeOf(const MainWindow& main) {
        return main.controller().scanner()->store();
    }
    // The first row of the scan called `name`.
    static std::int32_t nodeNamed(const MainWindow& main, std::u16string_view name) {
        const scan::NodeStore& store = storeOf(main);
        for (scan::NodeId row = 0; row < store.publishedCount(); ++row) {
            if (store.nameOf(row) == name) {
                return static_cast<std::int32_t>(row);
            }
        }
        ADD_FAILURE() << "no row of that name";
        return -1;
    }
    // As a click on the node in the treemap would.
    static void choose(MainWindow& main, std::int32_t node) {
        main.treemapView()->onNodeSelected(node);
    }
    static std::u16string valueOf(const std::vector<panes::InfoRow>& rows,
                                  std::u16string_view label) {
        for (const panes::InfoRow& row : rows) {
            if (row.label == label) {
                return row.value;
            }
        }
        return u"(absent)";
    }
    static std::vector<std::u16string> labelsOf(const std::vector<panes::InfoRow>& rows) {
        std::vector<std::u16string> labels;
        for (const panes::InfoRow& row : rows) {
            labels.push_back(row.label);
        }
        return labels;
    }
};

using Labels = std::vector<std::u16string>;

TEST_F(InspectorWindowTest, EachPanelIsMadeOnceHiddenByItsCloseBoxAndCheckedWhileShown) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    const struct {
        int command;
        const wchar_t* windowClass;
        const wchar_t* title;
        int width;
        int height;
        HWND (*window)();
    } panels[] = {
        {CommandSelectionPanel, L"RozovizovSelectionPanel", L"Selection", 440, 320,
         [] { return SelectionPanel::instance().window(); }},
        {CommandInformationPanel, L"RozovizovInformationPanel", L"Information", 460, 360,
         [] { return InformationPanel::instance().window(); }},
    };
    for (const auto& panel : panels) {
        SCOPED_TRACE(panel.command);
        EXPECT_EQ(panel.window(), nullptr) << "no window before it is asked for";
        EXPECT_FALSE(menuChecked(main, panel.command));

        main.command(panel.command);
        const HWND window = panel.window();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_TRUE(menuChecked(main, panel.command));
        wchar_t className[64] = {};
        GetClassNameW(window, className, 64);
        EXPECT_EQ(std::wstring(className), panel.windowClass);
        EXPECT_EQ(harness::windowText(window), panel.title);
        EXPECT_EQ(GetWindow(window, GW_OWNER), main.window());
        EXPECT_NE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
        RECT frame{};
        GetWindowRect(window, &frame);
        EXPECT_EQ(frame.right - frame.left, panel.width);
        EXPECT_EQ(frame.bottom - frame.top, panel.height);

        // The close box hides the window and keeps it.
        SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        pumpPending(main);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_FALSE(IsWindowVisible(window));
        EXPECT_FALSE(menuChecked(main, panel.command));

        main.command(panel.command);
        EXPECT_EQ(panel.window(), window) << "the same window comes back";
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_TRUE(menuChecked(main, panel.command));
        main.command(panel.command);
        EXPECT_FALSE(IsWindowVisible(window)) << "the command hides a shown panel";
        EXPECT_FALSE(menuChecked(main, panel.command));
        main.command(panel.command);
    }
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
    EXPECT_EQ(panels[0].window(), nullptr) << "the panels' windows go with their owner";
    EXPECT_EQ(panels[1].window(), nullptr);
}

TEST_F(InspectorWindowTest, TheInformationPanelDescribesFilesFoldersTheRootAndGoneFiles) {
    const fs::path root = scratch_ / "info";
    const fs::path secret = root / "docs" / ".secret.txt";
    writeFile(secret, 5'000);
    writeFile(root / "docs" / "plain.txt", 7'000);
    writeFile(root / "one" / "only.dat", 3'000);
    writeFile(root / "gone.txt", 2'000);
    ASSERT_NE(SetFileAttributesW(secret.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              0);

    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    ASSERT_TRUE(scanToTheEnd(main, root.u16string()));
    const scan::NodeStore& store = storeOf(main);
    fs::remove(root / "gone.txt");
    main.command(CommandInformationPanel);
    const InformationPanel& panel = InformationPanel::instance();
    ASSERT_TRUE(panel.shown());

    // The root, under its full path.
    choose(main, 0);
    EXPECT_EQ(panel.title(), main.controller().rootPath());
    EXPECT_EQ(labelsOf(panel.rows()), (Labels{u"Kind", u"Size", u"On disk", u"Length", u"Contains",
                                              u"Modified", u"Created", u"Attributes", u"Path"}));
    EXPECT_EQ(valueOf(panel.rows(), u"Kind"), u"Folder");
    EXPECT_EQ(valueOf(panel.rows(), u"Contains"), u"4 files");
    EXPECT_EQ(valueOf(panel.rows(), u"Attributes"), u"normal");
    EXPECT_EQ(valueOf(panel.rows(), u"Path"), main.controller().rootPath());
    EXPECT_EQ(valueOf(panel.rows(), u"Size"),
              ui::sizeText(static_cast<std::int64_t>(store.allocated.get(0))));

    // A folder of one file: one file, not "1 files".
    choose(main, nodeNamed(main, u"one"));
    EXPECT_EQ(panel.title(), u"one");
    EXPECT_EQ(valueOf(panel.rows(), u"Contains"), u"1 file");

    // A read-only hidden file: no count, its attributes, its sizes, a date without seconds.
    const std::int32_t file = nodeNamed(main, u".secret.txt");
    choose(main, file);
    EXPECT_EQ(panel.title(), u".secret.txt");
    EXPECT_EQ(labelsOf(panel.rows()), (Labels{u"Kind", u"Size", u"On disk", u"Length", u"Modified",
                                              u"Created", u"Attributes", u"Path"}));
    EXPECT_EQ(valueOf(panel.rows(), u"Kind"), u"Document");
    EXPECT_EQ(valueOf(panel.rows(), u"Attributes"), u"read only, hidden");
    EXPECT_EQ(valueOf(panel.rows(), u"Length"), u"5.0 kB");
    EXPECT_EQ(valueOf(panel.rows(), u"On disk"),
              ui::sizeText(static_cast<std::int64_t>(store.allocated.get(file))));
    EXPECT_EQ(valueOf(panel.rows(), u"Path"), store.pathOf(file, u'\\'));
    const std::time_t now = std::time(nullptr);
    const std::u16string year =
        fs::path(std::to_string(1900 + std::localtime(&now)->tm_year)).u16string();
    EXPECT_NE(valueOf(panel.rows(), u"Modified").find(year), std::u16string::npos);
    EXPECT_NE(valueOf(panel.rows(), u"Created"), u"\u2014");

    // The size line follows the size setting at once.
    ASSERT_NE(valueOf(panel.rows(), u"Size"), u"5.0 kB") << "on disk the file takes more";
    settings_.setShowPhysicalFileSize(false);
    EXPECT_EQ(valueOf(panel.rows(), u"Size"), u"5.0 kB");

    // A file deleted since the scan keeps what the scan knew and says the rest is unknown.
    choose(main, nodeNamed(main, u"gone.txt"));
    EXPECT_EQ(panel.title(), u"gone.txt");
    EXPECT_EQ(valueOf(panel.rows(), u"Kind"), u"Document");
    EXPECT_EQ(valueOf(panel.rows(), u"Length"), u"2.0 kB");
    EXPECT_EQ(valueOf(panel.rows(), u"Modified"), u"\u2014");
    EXPECT_EQ(valueOf(panel.rows(), u"Created"), u"\u2014");
    EXPECT_EQ(valueOf(panel.rows(), u"Attributes"), u"unreadable");
    EXPECT_EQ(labelsOf(panel.rows()).back(), u"Path");
    UpdateWindow(panel.window());

    // Hidden, the panel is left alone; shown again, it catches up with the choice.
    main.command(CommandInformationPanel);
    choose(main, file);
    EXPECT_EQ(panel.title(), u"gone.txt");
    main.command(CommandInformationPanel);
    EXPECT_EQ(panel.title(), u".secret.txt");

    // Leaving the scan empties it.
    main.command(CommandOpen);
    EXPECT_EQ(panel.title(), u"");
    EXPECT_TRUE(panel.rows().empty());
    SetFileAttributesW(secret.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(InspectorWindowTest, TheSelectionPanelShowsTheChainAndAClickOnItChoosesThatFolder) {
    const fs::path root = scratch_ / "chain";
    writeFile(root / "l1" / "l2" / "l3" / "l4" / "deep.txt", 9'000);
    writeFile(root / "l1" / "side.txt", 1'000);
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    ASSERT_TRUE(scanToTheEnd(main, root.u16string()));
    const scan::NodeStore& store = storeOf(main);
    main.command(CommandSelectionPanel);
    main.command(CommandInformationPanel);
    const SelectionPanel& panel = SelectionPanel::instance();
    const std::int32_t deep = nodeNamed(main, u"deep.txt");
    choose(main, deep);

    const std::vector<panes::ChainRow>& rows = panel.rows();
    ASSERT_EQ(rows.size(), 6u);
    const std::u16string names[] = {
        main.controller().rootPath(), u"l1", u"l2", u"l3", u"l4", u"deep.txt"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].depth, static_cast<std::int32_t>(i));
        EXPECT_EQ(rows[i].name, names[i]);
        EXPECT_EQ(rows[i].value,
                  ui::sizeText(static_cast<std::int64_t>(store.allocated.get(rows[i].node))));
    }
    EXPECT_EQ(rows[0].node, 0u);
    EXPECT_EQ(static_cast<std::int32_t>(rows[5].node), deep);

    // The pointer over the first row lights it; a click below the rows does nothing.
    const HWND window = panel.window();
    const int row = panel.rowHeight();
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(30, row / 2));
    EXPECT_EQ(panel.hoveredRow(), 0);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, row * 6 + 2));
    EXPECT_EQ(main.treemapView()->selectedNode(), deep);
    EXPECT_EQ(panel.rows().size(), 6u);

    // A click on the root chooses it everywhere, and the chain shrinks to it.
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, row / 2));
    EXPECT_EQ(main.treemapView()->selectedNode(), 0);
    EXPECT_EQ(main.focusNode(), 0);
    EXPECT_EQ(main.fileList()->selectedNodes(), std::vector<std::int32_t>{0}) << "the list too";
    ASSERT_EQ(panel.rows().size(), 1u);
    EXPECT_EQ(panel.rows()[0].name, main.controller().rootPath());
    EXPECT_EQ(InformationPanel::instance().title(), main.controller().rootPath());

    // Closed, the panel is not touched; the command brings it back up to date.
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    choose(main, nodeNamed(main, u"side.txt"));
    EXPECT_EQ(panel.rows().size(), 1u);
    main.command(CommandSelectionPanel);
    ASSERT_EQ(panel.rows().size(), 3u);
    EXPECT_EQ(panel.rows()[2].name, u"side.txt");

    main.command(CommandOpen);
    EXPECT_TRUE(panel.rows().empty());
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

FILETIME fileTimeOf(std::uint64_t ticks) {
    return {static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

TEST(DateTextTest, ADateIsShortAndWithoutSecondsAndWhatCannotBeConvertedIsUnknown) {
    SYSTEMTIME when{};
    when.wYear = 2021;
    when.wMonth = 3;
    when.wDay = 14;
    when.wHour = 12;
    when.wMinute = 30;
    when.wSecond = 47;
    FILETIME time{};
    ASSERT_NE(SystemTimeToFileTime(&when, &time), 0);
    const std::u16string text = panes::dateText(time);
    EXPECT_NE(text.find(u"2021"), std::u16string::npos) << scan::wideString(text).size();
    EXPECT_EQ(text.find(u"47"), std::u16string::npos) << "no seconds";
    EXPECT_NE(text.find(u' '), std::u16string::npos) << "a date, a space and a time";

    EXPECT_EQ(panes::dateText(fileTimeOf(0)), u"\u2014") << "zero is an unknown time";
    EXPECT_EQ(panes::dateText(fileTimeOf(0x8000000000000000ULL)), u"\u2014")
        << "a time the platform cannot convert";
    EXPECT_EQ(panes::dateText(fileTimeOf(0xFFFFFFFFFFFFFFFFULL)), u"\u2014");
}

}  // namespace
}  // namespace app
