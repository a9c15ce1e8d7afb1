// The file list inside the real main window: its rows under each measure, selection with real
// mouse and keyboard input, the selection shared with the treemap, the right-click menu, the
// commands on the focus (Copy Path with the real clipboard, Show in Explorer through the opener,
// Refresh This Folder after the disk changed), the wheel, and what it paints.

#include "app/commands.h"
#include "scan/text.h"
#include "treemap/treemap_view_win32.h"
#include "ui/drawing_win32.h"
#include "ui/theme_win32.h"

#include "dialog_answerer.h"
#include "main_window_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace app {
namespace {

using panes::ListRow;

std::u16string clipboardText() {
    std::u16string text;
    if (OpenClipboard(nullptr) == 0) {
        return text;
    }
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT); data != nullptr) {
        if (const auto* units = static_cast<const char16_t*>(GlobalLock(data))) {
            text = units;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void emptyClipboard() {
    if (OpenClipboard(nullptr) != 0) {
        EmptyClipboard();
        CloseClipboard();
    }
}

// What a popup menu held when it opened, and where it stood on the screen. The main window's
// procedure is replaced while a test watches: the menu is read when it is initialised and closed
// from a timer that fires inside the menu's own loop.
struct MenuWatch {
    static constexpr UINT_PTR kCloseTimer = 0x4D57;
    static inline WNDPROC original = nullptr;
    static inline int opened = 0;
    static inline std::vector<std::wstring> items;
    static inline std::vector<bool> greyed;
    static inline RECT placed{};

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITMENUPOPUP) {
            const auto menu = reinterpret_cast<HMENU>(wParam);
            ++opened;
            items.clear();
            greyed.clear();
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                wchar_t text[128] = {};
                GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
                items.emplace_back(text);
                greyed.push_back(
                    (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED) != 0);
            }
            SetTimer(window, kCloseTimer, 50, nullptr);
        } else if (message == WM_TIMER && wParam == kCloseTimer) {
            KillTimer(window, kCloseTimer);
            if (const HWND popup = FindWindowW(L"#32768", nullptr); popup != nullptr) {
                GetWindowRect(popup, &placed);
            }
            EndMenu();
            return 0;
        }
        return CallWindowProcW(original, window, message, wParam, lParam);
    }

    explicit MenuWatch(HWND window) : window_(window) {
        opened = 0;
        items.clear();
        placed = {};
        original = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MenuWatch::procedure)));
    }
    ~MenuWatch() { SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original)); }
    MenuWatch(const MenuWatch&) = delete;
    MenuWatch& operator=(const MenuWatch&) = delete;

  private:
    HWND window_;
};

// Real mouse input through the system's queue, with modifier keys held around the click.
void clickWithKeys(POINT screen, std::initializer_list<WORD> keys,
                   DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP) {
    std::vector<INPUT> inputs;
    inputs.push_back(harness::mouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, screen));
    for (const WORD k : keys) {
        inputs.push_back(harness::keyboardInput(k, false));
    }
    inputs.push_back(harness::mouseInput(down));
    inputs.push_back(harness::mouseInput(up));
    for (auto k = std::rbegin(keys); k != std::rend(keys); ++k) {
        inputs.push_back(harness::keyboardInput(*k, true));
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

class FileListInMainWindowTest : public windowtest::MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        tree_ = makeTree("tree", 4, 3, 12);
        chooseSettings();
        ASSERT_TRUE(main_.create(u""));
        SetWindowPos(main_.window(), HWND_TOP, 0, 0, 1200, 560, SWP_SHOWWINDOW);
        SetForegroundWindow(main_.window());
        ASSERT_TRUE(scanToTheEnd(main_, tree_.root.u16string()));
        list_ = main_.fileList();
        ASSERT_NE(list_, nullptr);
        ASSERT_TRUE(IsWindowVisible(list_->window()));
    }
    void TearDown() override {
        EXPECT_EQ(closeAndPump(main_), std::optional<int>(0));
        MainWindowFixture::TearDown();
    }
    virtual void chooseSettings() {}

    const scan::NodeStore& store() const { return main_.controller().scanner()->store(); }
    const panes::FileListModel& model() const { return list_->model(); }
    const std::vector<ListRow>& rows() const { return model().rows(); }
    bool pump(const std::function<bool()>& done) { return pumpUntil(main_, done); }

    // The middle of the name column of row `index` in the list's client coordinates.
    POINT rowPoint(std::int64_t index) const {
        const panes::ListMetrics& m = model().metrics();
        return {150, static_cast<LONG>(m.headerHeight + m.rowHeight * index - model().scrollY() +
                                       m.rowHeight / 2)};
    }
    POINT onScreen(POINT client) const {
        ClientToScreen(list_->window(), &client);
        return client;
    }
    void send(UINT message, POINT at, WPARAM keys = 0) {
        SendMessageW(list_->window(), message, keys, MAKELPARAM(at.x, at.y));
    }
    std::int32_t nodeOfRow(std::int64_t index) const {
        return static_cast<std::int32_t>(rows()[static_cast<std::size_t>(index)].node);
    }
    std::int64_t firstFileRow() const {
        for (std::size_t i = 0; i < rows().size(); ++i) {
            if (!store().hasFlag(rows()[i].node, scan::FlagFolder)) {
                return static_cast<std::int64_t>(i);
            }
        }
        return -1;
    }
    // Opens the first folder chain down to its files and answers the row of the largest file,
    // which eleven more files of the same folder follow.
    std::int64_t revealAFile() {
        const scan::NodeId sub = store().firstChild.get(1);
        list_->reveal(store().firstChild.get(sub));
        const std::int64_t row = model().rowOf(sub) + 1;
        list_->selectRow(row, false);
        return row;
    }
    void focusList() {
        SetForegroundWindow(main_.window());
        SetFocus(list_->window());
        pump([&] { return GetFocus() == list_->window(); });
    }
    // Presses a key on the list and waits until the focus is `expected`.
    bool key(WORD virtualKey, std::int32_t expected) {
        harness::pressKey(virtualKey);
        return pump([&] { return list_->focus() == expected; });
    }
    void expectSortedBy(scan::Measure measure, std::size_t from, std::size_t to) {
        for (std::size_t i = from + 1; i < to; ++i) {
            EXPECT_GE(static_cast<std::int64_t>(
                          scan::measureColumn(store(), measure, true).get(rows()[i - 1].node)),
                      static_cast<std::int64_t>(
                          scan::measureColumn(store(), measure, true).get(rows()[i].node)))
                << "row " << i;
        }
    }

    windowtest::GeneratedTree tree_;
    MainWindow main_{settings_};
    panes::FileListPane* list_ = nullptr;
};

TEST_F(FileListInMainWindowTest, RowsOpenAndSortUnderEachMeasure) {
    // The root opened by itself: its four folders, largest first.
    ASSERT_EQ(rows().size(), 5u);
    EXPECT_EQ(rows()[0].node, 0u);
    EXPECT_TRUE(model().isExpanded(0));
    for (std::size_t i = 1; i < 5; ++i) {
        EXPECT_EQ(rows()[i].depth, 1);
        EXPECT_TRUE(rows()[i].expandable);
    }
    expectSortedBy(scan::MeasureCurrentSize, 1, 5);
    EXPECT_EQ(list_->valueHeader(), u"Size");

    // A double click opens a folder; a click on the root's chevron closes the root, and it
    // stays closed through refreshes until Collapse All.
    send(WM_LBUTTONDBLCLK, rowPoint(1), MK_LBUTTON);
    ASSERT_EQ(rows().size(), 8u);
    EXPECT_EQ(rows()[2].depth, 2);
    expectSortedBy(scan::MeasureCurrentSize, 2, 5);
    const panes::ListMetrics& m = model().metrics();
    send(WM_LBUTTONDOWN, POINT{m.margin + 3, rowPoint(0).y}, MK_LBUTTON);
    EXPECT_EQ(rows().size(), 1u);
    EXPECT_EQ(list_->focus(), -1) << "the chevron selects nothing";
    main_.refreshViews(false);
    EXPECT_EQ(rows().size(), 1u);
    main_.command(CommandCollapseAll);
    EXPECT_EQ(rows().size(), 5u);

    for (const int measure : {1, 2, 0}) {
        SCOPED_TRACE(measure);
        send(WM_LBUTTONDBLCLK, rowPoint(2), MK_LBUTTON);
        ASSERT_GT(rows().size(), 5u);
        chooseMeasure(main_, measure);
        EXPECT_EQ(main_.measure(), static_cast<scan::Measure>(measure));
        EXPECT_EQ(rows().size(), 5u) << "a new measure collapses every folder";
        expectSortedBy(static_cast<scan::Measure>(measure), 1, 5);
        EXPECT_EQ(list_->valueHeader(),
                  measure == 0 ? u"Size" : scan::measureName(static_cast<scan::Measure>(measure)));
    }
}

TEST_F(FileListInMainWindowTest, ANewMeasureKeepsTheSelectedRowInView) {
    // A file two folders down, selected from the treemap as a click there would.
    const scan::NodeId folder = store().firstChild.get(0);
    const scan::NodeId sub = store().firstChild.get(folder);
    const auto file = static_cast<std::int32_t>(store().firstChild.get(sub));
    main_.selectNode(file);
    ASSERT_EQ(list_->focus(), file);
    for (const int measure : {1, 2, 0}) {
        SCOPED_TRACE(measure);
        chooseMeasure(main_, measure);
        ASSERT_EQ(main_.measure(), static_cast<scan::Measure>(measure));
        EXPECT_EQ(list_->focus(), file);
        const std::int64_t row = model().rowOf(file);
        ASSERT_GE(row, 0) << "the selected file's folders stay open";
        const panes::ListMetrics& m = model().metrics();
        const std::int64_t top = m.headerHeight + m.rowHeight * row - model().scrollY();
        RECT client{};
        GetClientRect(list_->window(), &client);
        EXPECT_GE(top, m.headerHeight);
        EXPECT_LE(top + m.rowHeight, client.bottom) << "the row is scrolled into view";
        EXPECT_EQ(main_.treemapView()->selectedNode(), file);
    }
}

// The root row names the root as the title, the status line and the history do, whatever was
// typed to reach it.
TEST_F(FileListInMainWindowTest, TheRootRowShowsTheNormalisedRoot) {
    const std::u16string typed = tree_.root.u16string() + u"\\folder0\\..\\";
    ASSERT_TRUE(scanToTheEnd(main_, typed));
    ASSERT_NE(main_.controller().rootPath(), typed);
    EXPECT_EQ(list_->rootLabel(), main_.controller().rootPath());
    EXPECT_EQ(list_->rootLabel(), tree_.root.u16string());
}

TEST_F(FileListInMainWindowTest, ControlAndShiftClicksWithRealInputShareTheSelection) {
    SetForegroundWindow(main_.window());
    clickWithKeys(onScreen(rowPoint(1)), {});
    ASSERT_TRUE(pump([&] { return list_->focus() == nodeOfRow(1); }));
    EXPECT_EQ(main_.treemapView()->selectedNode(), nodeOfRow(1)) << "the treemap follows";

    clickWithKeys(onScreen(rowPoint(3)), {VK_CONTROL});
    ASSERT_TRUE(pump([&] { return list_->focus() == nodeOfRow(3); }));
    EXPECT_EQ(list_->selectedNodes(),
              (std::vector<std::int32_t>{std::min(nodeOfRow(1), nodeOfRow(3)),
                                         std::max(nodeOfRow(1), nodeOfRow(3))}));
    EXPECT_EQ(main_.treemapView()->selectedNode(), nodeOfRow(3));

    // The range runs from the anchor (the Ctrl-clicked row) to the Shift-clicked one.
    clickWithKeys(onScreen(rowPoint(4)), {VK_SHIFT});
    ASSERT_TRUE(pump([&] { return list_->focus() == nodeOfRow(4); }));
    std::vector<std::int32_t> expected{nodeOfRow(3), nodeOfRow(4)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(list_->selectedNodes(), expected);
    EXPECT_EQ(model().anchor(), nodeOfRow(3));

    // The focus is painted in the accent colour, the row below it striped.
    UpdateWindow(list_->window());
    const HDC dc = GetDC(list_->window());
    const int x = 120;
    EXPECT_EQ(GetPixel(dc, x, rowPoint(4).y), ui::palette().accent);
    EXPECT_EQ(GetPixel(dc, x, rowPoint(1).y), ui::palette().alternateRow);
    EXPECT_EQ(GetPixel(dc, x, rowPoint(2).y), ui::palette().paneBackground);
    ReleaseDC(list_->window(), dc);
}

TEST_F(FileListInMainWindowTest, TheKeyboardWalksTheTree) {
    focusList();
    ASSERT_TRUE(key(VK_DOWN, 0)) << "nothing selected: the first row";
    ASSERT_TRUE(key(VK_END, nodeOfRow(4)));
    ASSERT_TRUE(key(VK_HOME, 0));
    ASSERT_TRUE(key(VK_NEXT, nodeOfRow(4))) << "a page down, stopped at the last row";
    ASSERT_TRUE(key(VK_PRIOR, 0));
    ASSERT_TRUE(key(VK_DOWN, nodeOfRow(1)));
    const std::int32_t folder = nodeOfRow(1);

    // Right opens the folder without moving; Down enters it; Left on a closed child selects the
    // folder again, and Left on the open folder closes it.
    harness::pressKey(VK_RIGHT);
    ASSERT_TRUE(pump([&] { return model().isExpanded(static_cast<scan::NodeId>(folder)); }));
    EXPECT_EQ(list_->focus(), folder);
    ASSERT_TRUE(key(VK_DOWN, nodeOfRow(2)));
    EXPECT_EQ(store().parent.get(static_cast<scan::NodeId>(list_->focus())),
              static_cast<scan::NodeId>(folder));
    ASSERT_TRUE(key(VK_LEFT, folder));
    harness::pressKey(VK_LEFT);
    ASSERT_TRUE(pump([&] { return !model().isExpanded(static_cast<scan::NodeId>(folder)); }));
    EXPECT_EQ(list_->focus(), folder);
    ASSERT_TRUE(key(VK_UP, 0));
    harness::pressKey(VK_UP);
    pumpPending(main_);
    EXPECT_EQ(list_->focus(), 0) << "nothing above the first row";

    // Select Parent Folder goes up from a file; on the root it does nothing.
    const std::int64_t fileRow = revealAFile();
    const std::int32_t file = nodeOfRow(fileRow);
    main_.command(CommandSelectParent);
    EXPECT_EQ(list_->focus(),
              static_cast<std::int32_t>(store().parent.get(static_cast<scan::NodeId>(file))));
    EXPECT_EQ(main_.treemapView()->selectedNode(), list_->focus());
    list_->selectRow(0, false);
    main_.command(CommandSelectParent);
    EXPECT_EQ(list_->focus(), 0);
}

TEST_F(FileListInMainWindowTest, ATreemapClickRevealsAndCentresTheRowAndTheListFramesTheTreemap) {
    // A short window, so that the revealed row has to be scrolled to.
    SetWindowPos(main_.window(), HWND_TOP, 0, 0, 1200, 400, SWP_SHOWWINDOW);
    treemap::TreemapView* view = main_.treemapView();
    RECT area{};
    GetClientRect(view->window(), &area);
    ASSERT_TRUE(pump([&] {
        const treemap::TreemapImage* picture = view->model().picture();
        return picture != nullptr && !view->schedule().building() && picture->height == area.bottom;
    }));
    // The largest single file of the picture, deep in the tree.
    const treemap::TreemapImage& picture = *view->model().picture();
    const treemap::TreemapItem* best = nullptr;
    for (const treemap::TreemapItem& item : picture.items) {
        if (item.drawn && item.node > 0 && item.hiddenCount == 0 &&
            !store().hasFlag(static_cast<scan::NodeId>(item.node), scan::FlagFolder) &&
            (best == nullptr || item.rect.area() > best->rect.area())) {
            best = &item;
        }
    }
    ASSERT_NE(best, nullptr);
    const auto file = static_cast<scan::NodeId>(best->node);
    const LPARAM at = MAKELPARAM(static_cast<int>(best->rect.x + best->rect.w / 2),
                                 static_cast<int>(best->rect.y + best->rect.h / 2));
    SendMessageW(view->window(), WM_MOUSEMOVE, 0, at);
    SendMessageW(view->window(), WM_LBUTTONDOWN, MK_LBUTTON, at);

    EXPECT_EQ(list_->focus(), static_cast<std::int32_t>(file));
    EXPECT_TRUE(model().isExpanded(store().parent.get(file)));
    const std::int64_t row = model().rowOf(file);
    ASSERT_GE(row, 0);
    const std::int64_t rowHeight = model().metrics().rowHeight;
    const std::int64_t view_ = model().viewHeight();
    const std::int64_t centred = std::clamp<std::int64_t>(
        rowHeight / 2 + row * rowHeight - view_ / 2, 0,
        std::max<std::int64_t>(0, rowHeight * static_cast<std::int64_t>(rows().size()) - view_));
    EXPECT_GT(model().contentHeight(), view_) << "the list must be able to scroll";
    EXPECT_EQ(model().scrollY(), centred);

    // A click in the list selects in the treemap, which frames the item.
    const std::int64_t other = model().rowOf(store().parent.get(file));
    send(WM_LBUTTONDOWN, rowPoint(other), MK_LBUTTON);
    EXPECT_EQ(view->selectedNode(), nodeOfRow(other));
    EXPECT_TRUE(view->model().selectionFrame().has_value());
}

TEST_F(FileListInMainWindowTest, CopyPathReachesTheClipboardFromAnyWindowOfTheProgram) {
    const std::int64_t fileRow = revealAFile();
    const auto file = static_cast<scan::NodeId>(nodeOfRow(fileRow));
    const std::u16string path = store().pathOf(file, u'\\');
    ASSERT_TRUE(path.starts_with(tree_.root.u16string())) << scan::toUtf8(path);

    emptyClipboard();
    main_.command(CommandCopyPath);
    EXPECT_EQ(clipboardText(), path);

    // Ctrl+C while another window of the process has the keyboard.
    const HWND other =
        CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300,
                        200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    SetFocus(other);
    ASSERT_TRUE(pump([&] { return GetFocus() == other; }));
    emptyClipboard();
    list_->selectRow(0, false);
    harness::pressKey('C', {VK_CONTROL});
    EXPECT_TRUE(pump([&] { return clipboardText() == store().pathOf(0, u'\\'); }))
        << scan::toUtf8(clipboardText());
    DestroyWindow(other);
}

TEST_F(FileListInMainWindowTest, ShowInExplorerSelectsTheFocusInTheFileManager) {
    std::vector<std::wstring> opened;
    main_.openFileManager = [&](HWND owner, const std::wstring& parameters) {
        EXPECT_EQ(owner, main_.window());
        opened.push_back(parameters);
    };
    main_.command(CommandShowInExplorer);
    EXPECT_TRUE(opened.empty()) << "no focus, nothing to show";
    const auto file = static_cast<scan::NodeId>(nodeOfRow(revealAFile()));
    main_.command(CommandShowInExplorer);
    const std::u16string path = store().pathOf(file, u'\\');
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], L"/select,\"" + std::wstring(path.begin(), path.end()) + L"\"");
}

TEST_F(FileListInMainWindowTest, TheRightClickMenuNamesWhatItActsOn) {
    const HWND window = main_.window();
    MenuWatch watch(window);
    const auto menuAt = [&](POINT client) {
        const int before = MenuWatch::opened;
        send(WM_RBUTTONDOWN, client, MK_RBUTTON);
        send(WM_RBUTTONUP, client);
        pumpPending(main_);
        return MenuWatch::opened > before;
    };
    const std::wstring ellipsis = L"\u2026";

    // One file.
    const std::int64_t fileRow = revealAFile();
    ASSERT_TRUE(menuAt(rowPoint(fileRow)));
    EXPECT_EQ(MenuWatch::items, (std::vector<std::wstring>{L"Show in Explorer", L"Copy Path", L"",
                                                           L"Move to Recycle Bin" + ellipsis}));
    EXPECT_EQ(list_->focus(), nodeOfRow(fileRow)) << "the press selected the row";

    // One folder.
    const std::int64_t folderRow =
        model().rowOf(store().parent.get(static_cast<scan::NodeId>(nodeOfRow(fileRow))));
    ASSERT_TRUE(menuAt(rowPoint(folderRow)));
    EXPECT_EQ(MenuWatch::items,
              (std::vector<std::wstring>{L"Show in Explorer", L"Copy Path", L"Zoom Treemap Here",
                                         L"Refresh This Folder", L"",
                                         L"Move to Recycle Bin" + ellipsis}));
    EXPECT_FALSE(MenuWatch::greyed[3]) << "no scan runs";

    // Three selected files: one item, and the selection survives the right press.
    list_->selectRow(fileRow, false);
    SetForegroundWindow(main_.window());
    clickWithKeys(onScreen(rowPoint(fileRow + 1)), {VK_CONTROL});
    clickWithKeys(onScreen(rowPoint(fileRow + 2)), {VK_CONTROL});
    ASSERT_TRUE(pump([&] { return list_->selectedNodes().size() == 3; }));
    ASSERT_TRUE(menuAt(rowPoint(fileRow + 1)));
    EXPECT_EQ(MenuWatch::items,
              (std::vector<std::wstring>{L"Move 3 Items to Recycle Bin" + ellipsis}));
    EXPECT_EQ(list_->selectedNodes().size(), 3u);

    // Empty space below the rows: no menu, and the selection stays.
    RECT client{};
    GetClientRect(list_->window(), &client);
    ASSERT_LT(rowPoint(static_cast<std::int64_t>(rows().size())).y, client.bottom - 5)
        << "the list must end above the bottom";
    EXPECT_FALSE(menuAt(POINT{150, client.bottom - 5}));
    EXPECT_EQ(list_->selectedNodes().size(), 3u);

    // The keyboard's request (Shift+F10) opens the menu of the focus at its row.
    list_->selectRow(fileRow, false);
    focusList();
    const int before = MenuWatch::opened;
    harness::pressKey(VK_F10, {VK_SHIFT});
    ASSERT_TRUE(pump([&] { return MenuWatch::opened > before && MenuWatch::placed.right != 0; }));
    EXPECT_EQ(MenuWatch::items.size(), 4u);
    POINT corner = rowPoint(fileRow);
    corner.y += model().metrics().rowHeight / 2;
    corner = onScreen(corner);
    EXPECT_NEAR(MenuWatch::placed.top, corner.y, 2);
    EXPECT_NEAR(MenuWatch::placed.left,
                onScreen(POINT{model().metrics().margin +
                                   model().metrics().indent *
                                       rows()[static_cast<std::size_t>(fileRow)].depth,
                               0})
                    .x,
                2);
}

// The free space block on, so a right press can land on it.
class FileListWithSpaceBlocksTest : public FileListInMainWindowTest {
  protected:
    void chooseSettings() override { settings_.setShowFreeSpace(true); }
};

TEST_F(FileListWithSpaceBlocksTest, AClickOnASpaceBlockOpensNoMenuAndChoosesNothing) {
    treemap::TreemapView* view = main_.treemapView();
    ASSERT_TRUE(pump([&] {
        const treemap::TreemapImage* picture = view->model().picture();
        return picture != nullptr && !view->schedule().building() &&
               picture->blockInfo.contains(treemap::FreeSpaceId);
    }));
    const treemap::TreemapImage& picture = *view->model().picture();
    const treemap::TreemapItem* block = nullptr;
    for (const treemap::TreemapItem& item : picture.items) {
        if (item.drawn && item.node == treemap::FreeSpaceId) {
            block = &item;
        }
    }
    ASSERT_NE(block, nullptr);
    list_->reveal(1);
    MenuWatch watch(main_.window());
    const LPARAM at = MAKELPARAM(static_cast<int>(block->rect.x + block->rect.w / 2),
                                 static_cast<int>(block->rect.y + block->rect.h / 2));
    SendMessageW(view->window(), WM_MOUSEMOVE, 0, at);
    SendMessageW(view->window(), WM_RBUTTONDOWN, MK_RBUTTON, at);
    SendMessageW(view->window(), WM_RBUTTONUP, 0, at);
    pumpPending(main_);
    EXPECT_EQ(MenuWatch::opened, 0) << "no menu for the folder selected before";
    // The space block chooses nothing: the folder chosen before, no longer framed anywhere, must
    // not stay for Del to send to the Recycle Bin.
    EXPECT_EQ(list_->focus(), -1);
    EXPECT_TRUE(main_.selectedNodes().empty());
    EXPECT_EQ(main_.deletableCount(), 0u);
}

TEST_F(FileListInMainWindowTest, TheWheelScrollsLinesOrPages) {
    UINT saved = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &saved, 0);
    // Every folder open, so the list is several screens tall.
    for (bool opened = true; opened;) {
        opened = false;
        for (const ListRow& row : rows()) {
            if (row.expandable && !model().isExpanded(row.node)) {
                list_->toggleExpanded(row.node);
                opened = true;
                break;
            }
        }
    }
    ASSERT_GT(model().contentHeight(), 3 * model().viewHeight());
    const std::int64_t rowHeight = model().metrics().rowHeight;
    const auto wheel = [&](int delta) { harness::turnWheel(list_->window(), delta); };

    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 3, nullptr, 0);
    wheel(-120);
    EXPECT_EQ(model().scrollY(), 3 * rowHeight);
    wheel(120);
    wheel(120);
    EXPECT_EQ(model().scrollY(), 0) << "clamped at the top";

    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, WHEEL_PAGESCROLL, nullptr, 0);
    UINT lines = 0;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    EXPECT_EQ(lines, WHEEL_PAGESCROLL);
    wheel(-120);
    EXPECT_EQ(model().scrollY(), model().viewHeight()) << "one screen down, not one row up";
    wheel(-240);
    EXPECT_EQ(model().scrollY(), 3 * static_cast<std::int64_t>(model().viewHeight()));
    wheel(120);
    EXPECT_EQ(model().scrollY(), 2 * static_cast<std::int64_t>(model().viewHeight()));
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, saved, nullptr, 0);

    // At the very end the top row shows only in part, and that part stays under the header: a
    // window height that is no whole number of rows makes it so.
    RECT frame{};
    GetWindowRect(main_.window(), &frame);
    for (int taller = 1; taller < rowHeight; ++taller) {
        SendMessageW(list_->window(), WM_VSCROLL, SB_BOTTOM, 0);
        if (model().scrollY() % rowHeight != 0) {
            break;
        }
        SetWindowPos(main_.window(), nullptr, 0, 0, frame.right - frame.left,
                     frame.bottom - frame.top + taller, SWP_NOMOVE | SWP_NOZORDER);
    }
    ASSERT_NE(model().scrollY() % rowHeight, 0);
    RedrawWindow(list_->window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const HDC dc = GetDC(list_->window());
    const int headerHeight = model().metrics().headerHeight;
    EXPECT_EQ(GetPixel(dc, 150, headerHeight - 3), ui::palette().headerBackground);
    EXPECT_EQ(GetPixel(dc, 150, headerHeight - 1), ui::palette().line) << "the header's line";
    ReleaseDC(list_->window(), dc);
}

TEST_F(FileListInMainWindowTest, RefreshThisFolderShowsWhatChangedOnDiskAndLeavesTheZoom) {
    const std::int64_t fileRow = revealAFile();
    const auto sub = store().parent.get(static_cast<scan::NodeId>(nodeOfRow(fileRow)));
    const auto folder = store().parent.get(sub);
    const std::uint32_t filesBefore = store().fileCount.get(0);
    const std::uint64_t sizeBefore = store().size.get(0);
    const std::filesystem::path onDisk(store().pathOf(folder, u'\\'));
    for (int i = 0; i < 3; ++i) {
        std::ofstream out(onDisk / ("added" + std::to_string(i) + ".bin"), std::ios::binary);
        out << std::string(5000, 'n');
    }

    list_->reveal(folder);
    main_.command(CommandZoomIn);
    ASSERT_EQ(main_.treemapView()->zoomDepth(), 2u);
    main_.command(CommandRefreshFolder);
    EXPECT_EQ(main_.treemapView()->zoomDepth(), 1u) << "back to the top of the zoom stack";
    EXPECT_EQ(list_->focus(), -1);
    ASSERT_TRUE(pumpUntilScanComplete(main_));
    EXPECT_EQ(store().fileCount.get(0), filesBefore + 3);
    EXPECT_EQ(store().size.get(0), sizeBefore + 3 * 5000);

    // The folder's new listing: its rows are new, and the added files are among them.
    list_->reveal(folder);
    list_->toggleExpanded(folder);
    std::vector<std::u16string> names;
    for (const ListRow& row : rows()) {
        if (row.node != 0 && store().parent.get(row.node) == folder) {
            names.push_back(store().nameOf(row.node));
        }
    }
    EXPECT_NE(std::find(names.begin(), names.end(), u"added0.bin"), names.end());
    EXPECT_EQ(names.size(), 3u + 3u) << "three subfolders and three new files";
    ASSERT_TRUE(pump([&] {
        const treemap::TreemapImage* picture = main_.treemapView()->model().picture();
        return picture != nullptr && picture->root == 0 &&
               !main_.treemapView()->schedule().building();
    }));
}

TEST_F(FileListInMainWindowTest, TheHeaderShowsTintedPicturesAndItsButtonsAct) {
    // The pointer away from the buttons, which it would paint hovered.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    InvalidateRect(list_->window(), nullptr, FALSE);
    UpdateWindow(list_->window());
    const HDC dc = GetDC(list_->window());
    const ui::Palette& colours = ui::palette();
    // Each button's 16-pixel square holds the picture in the header text colour.
    for (const int left : {5, 27}) {
        int inked = 0;
        for (int y = 4; y < 20; ++y) {
            for (int x = left; x < left + 16; ++x) {
                const COLORREF pixel = GetPixel(dc, x, y);
                if (pixel != colours.headerBackground) {
                    ++inked;
                    const auto towardsText = [&](int shift) {
                        const int p = static_cast<int>((pixel >> shift) & 0xFF);
                        const int b = static_cast<int>((colours.headerBackground >> shift) & 0xFF);
                        const int t = static_cast<int>((colours.headerText >> shift) & 0xFF);
                        return (p - b) * (t - b) >= 0 && std::abs(p - b) <= std::abs(t - b);
                    };
                    EXPECT_TRUE(towardsText(0) && towardsText(8) && towardsText(16))
                        << std::hex << pixel << " at " << std::dec << x << "," << y;
                }
            }
        }
        EXPECT_GT(inked, 20) << "button at " << left;
    }
    EXPECT_EQ(GetPixel(dc, 100, 23), colours.line) << "the header's bottom line";
    ReleaseDC(list_->window(), dc);

    // The first button hides the kinds pane (and its picture turns), the second collapses all.
    const bool kinds = settings_.showFileKindStatistics();
    send(WM_MOUSEMOVE, POINT{10, 10});
    EXPECT_EQ(list_->hoveredButton(), 0);
    send(WM_LBUTTONDOWN, POINT{10, 10}, MK_LBUTTON);
    EXPECT_EQ(settings_.showFileKindStatistics(), !kinds);
    EXPECT_EQ(list_->kindsShown(), !kinds);
    list_->toggleExpanded(static_cast<scan::NodeId>(nodeOfRow(1)));
    ASSERT_GT(rows().size(), 5u);
    send(WM_MOUSEMOVE, POINT{30, 10});
    send(WM_LBUTTONDOWN, POINT{30, 10}, MK_LBUTTON);
    EXPECT_EQ(rows().size(), 5u);
}

TEST_F(FileListInMainWindowTest, EscapeStopsAScan) {
    main_.openScan(u"Z:\\usr");
    // The list follows the scan while it runs.
    ASSERT_TRUE(pump([&] { return rows().size() > 1; }));
    ASSERT_TRUE(main_.controller().running()) << "the folder must outlast the first rows";
    focusList();
    harness::pressKey(VK_ESCAPE);
    ASSERT_TRUE(pump([&] { return !main_.controller().running(); }));
    EXPECT_TRUE(main_.controller().stopped());
    ASSERT_TRUE(pump([&] { return main_.statusText().starts_with(u"Scan stopped"); }));
    EXPECT_GT(rows().size(), 1u) << "the list keeps what was found";
}

TEST_F(FileListInMainWindowTest, TheFolderPickerScansTheFolderChosen) {
    // Cancelled: nothing changes.
    const std::u16string before = main_.controller().rootPath();
    {
        harness::DialogAnswerer answerer([](const harness::SeenDialog&) { return IDCANCEL; });
        main_.chooseFolder();
        EXPECT_EQ(answerer.seen().size(), 1u);
    }
    EXPECT_EQ(main_.controller().rootPath(), before);

    // A folder typed into the picker's name box and confirmed.
    const windowtest::GeneratedTree other = makeTree("other", 1, 1, 2);
    {
        bool typed = false;
        harness::DialogAnswerer answerer([&](const harness::SeenDialog& picker) {
            typed = harness::typeIntoEditBox(picker, other.root.wstring());
            return IDOK;
        });
        main_.chooseFolder();
        ASSERT_EQ(answerer.seen().size(), 1u);
        EXPECT_EQ(answerer.seen()[0].caption, L"Choose a folder or drive to scan");
        EXPECT_TRUE(typed) << "the picker has a name box";
    }
    ASSERT_TRUE(pumpUntilScanComplete(main_));
    EXPECT_TRUE(main_.controller().rootPath().ends_with(u"\\other"))
        << scan::toUtf8(main_.controller().rootPath());
    EXPECT_EQ(store().fileCount.get(0), 2u);
    EXPECT_EQ(rows().size(), 2u) << "the list shows the new scan: the root and its folder";
}

// Runs only in the child process that the next test starts at 144 DPI.
TEST_F(FileListInMainWindowTest, TheSmallFontSettingShortensTheRowsAtOnce) {
    ASSERT_EQ(model().metrics().rowHeight, 18);
    const std::int64_t contentHeight = model().contentHeight();
    SendMessageW(main_.window(), WM_COMMAND, CommandSmallFontFiles, 0);
    EXPECT_TRUE(settings_.smallFontFiles());
    EXPECT_EQ(model().metrics().rowHeight, 16);
    EXPECT_EQ(model().contentHeight() * 18, contentHeight * 16) << "every row is 16 high";
    SendMessageW(main_.window(), WM_COMMAND, CommandSmallFontFiles, 0);
    EXPECT_FALSE(settings_.smallFontFiles());
    EXPECT_EQ(model().metrics().rowHeight, 18);
    EXPECT_EQ(model().contentHeight(), contentHeight);
}

TEST_F(FileListInMainWindowTest, DpiChildHeaderAndColumnScale) {
    wchar_t expected[8] = {};
    if (GetEnvironmentVariableW(L"ROZOVIZOV_TEST_CHILD_DPI", expected, 8) == 0) {
        GTEST_SKIP() << "runs in a child process started by TheListScalesAt144Dpi";
    }
    ASSERT_EQ(ui::windowDpi(list_->window()), 144);
    EXPECT_EQ(model().metrics().headerHeight, 36);
    EXPECT_EQ(model().metrics().valueColumn, 177);
    EXPECT_EQ(model().metrics().rowHeight, 27);
    UpdateWindow(list_->window());
    const HDC dc = GetDC(list_->window());
    EXPECT_EQ(GetPixel(dc, 100, 35), ui::palette().line) << "the header ends at 36 pixels";
    EXPECT_NE(GetPixel(dc, 100, 36), ui::palette().headerBackground);
    RECT client{};
    GetClientRect(list_->window(), &client);
    EXPECT_EQ(GetPixel(dc, client.right - 177 - 9, 60), ui::palette().line)
        << "the column line at width - (118 + 6) x 1.5";
    ReleaseDC(list_->window(), dc);
}

TEST(FileListDpi, TheListScalesAt144Dpi) {
    if (GetEnvironmentVariableW(L"ROZOVIZOV_TEST_CHILD_DPI", nullptr, 0) != 0) {
        GTEST_SKIP() << "the child only runs the scaled test";
    }
    harness::SavedRegistryValue dpi(L"Control Panel\\Desktop", L"LogPixels");
    dpi.setDword(144);
    harness::ScopedEnvironment child(L"ROZOVIZOV_TEST_CHILD_DPI", L"144");
    harness::ChildProcess process(
        harness::thisProgram(),
        {L"--gtest_filter=FileListInMainWindowTest.DpiChildHeaderAndColumnScale"});
    ASSERT_TRUE(process.started());
    EXPECT_EQ(process.waitForExit(), std::optional<DWORD>(0))
        << "the child's own output above says which expectation failed";
}

}  // namespace
}  // namespace app
