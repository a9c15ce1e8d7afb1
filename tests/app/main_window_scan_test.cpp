// The real main window following real scans: the status line, the measure box, Stop, and the
// treemap view inside it with its zoom, tooltip and context menu.

#include "app/commands.h"
#include "scan/file_kinds.h"
#include "scan/text.h"
#include "treemap/treemap_view_win32.h"
#include "ui/formats.h"

#include "main_window_fixture.h"

#include <commctrl.h>

#include <gtest/gtest.h>

namespace app {
namespace {

constexpr const char16_t* kLargeFolder = u"Z:\\usr";

class MainWindowScanTest : public windowtest::MainWindowFixture {};

std::wstring textOf(HWND window) {
    return harness::windowText(window);
}

std::u16string comboItem(HWND box, int index) {
    wchar_t text[128] = {};
    SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return reinterpret_cast<const char16_t*>(text);
}

// The width of `text` in the control's own font.
int textWidth(HWND control, const std::u16string& text) {
    const HDC dc = GetDC(control);
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.c_str()),
                          static_cast<int>(text.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return extent.cx;
}

TEST_F(MainWindowScanTest, TheStatusLineCountsWhatTheScanFound) {
    const windowtest::GeneratedTree tree = makeTree("tree", 4, 3, 12);
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    ASSERT_TRUE(scanToTheEnd(main, tree.root.u16string()));

    const scan::NodeStore& store = main.controller().scanner()->store();
    std::int64_t folders = 0;
    for (scan::NodeId row = 0; row < store.publishedCount(); ++row) {
        folders += store.hasFlag(row, scan::FlagFolder) ? 1 : 0;
    }
    EXPECT_EQ(folders, tree.folders);
    EXPECT_EQ(static_cast<std::int64_t>(store.fileCount.get(0)), tree.files);
    const std::u16string expected =
        u"Scan complete \u00B7 " + ui::countText(tree.files) + u" files \u00B7 " +
        ui::countText(tree.folders) + u" folders \u00B7 " +
        ui::sizeText(static_cast<std::int64_t>(store.allocated.get(0))) + u" \u00B7 ";
    EXPECT_TRUE(main.statusText().starts_with(expected)) << scan::toUtf8(main.statusText());
    EXPECT_TRUE(main.statusText().ends_with(u"s"));
    EXPECT_EQ(main.statusText().find(u"\u2014"), std::u16string::npos) << "measure 0 adds nothing";

    // The toolbar after the end: no Stop, Refresh enabled, no Zoom Out at the top.
    const HWND window = main.window();
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, ControlOpen)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, ControlMeasureBox)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, ControlStop)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, ControlZoomOut)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, ControlRefresh)));
    ASSERT_TRUE(pumpUntil(main, [&] { return main.treemapView()->model().picture() != nullptr; }));

    // "Open…" leaves the scan for the welcome view.
    SendMessageW(GetDlgItem(window, ControlOpen), BM_CLICK, 0, 0);
    EXPECT_TRUE(main.welcomeShown());
    EXPECT_EQ(main.controller().scanner(), nullptr);
    EXPECT_EQ(harness::windowText(window), L"Rozovizov");
    EXPECT_FALSE(IsWindowVisible(main.treemapView()->window()));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, ControlOpen)));
    EXPECT_EQ(main.treemapView()->model().picture(), nullptr);
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowScanTest, TheMeasureSinceTheLastScanOpensOnlyOnceTheRootWasScanned) {
    const windowtest::GeneratedTree tree = makeTree("tree", 2, 2, 5);
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    ASSERT_TRUE(scanToTheEnd(main, tree.root.u16string()));
    const HWND box = GetDlgItem(main.window(), ControlMeasureBox);
    EXPECT_EQ(comboItem(box, 3), u"Added Since Last Scan (no previous scan)");
    EXPECT_GE(SendMessageW(box, CB_GETDROPPEDWIDTH, 0, 0), textWidth(box, comboItem(box, 3)))
        << "the opened list shows the long item whole";
    chooseMeasure(main, 3);
    EXPECT_EQ(main.measure(), scan::MeasureCurrentSize) << "nothing to compare with yet";
    EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), 0) << "the box went back";
    chooseMeasure(main, 1);
    EXPECT_EQ(main.measure(), scan::MeasureAddedMonth);
    EXPECT_NE(main.statusText().find(u"  \u2014  Added in Last Month: "), std::u16string::npos);

    // A rescan finds the first one in the history.
    SendMessageW(GetDlgItem(main.window(), ControlRefresh), BM_CLICK, 0, 0);
    ASSERT_TRUE(pumpUntilScanComplete(main));
    EXPECT_NE(main.controller().previousScan(), 0u);
    EXPECT_EQ(comboItem(box, 3), u"Added Since Last Scan");
    EXPECT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), 1) << "the selection stays";
    chooseMeasure(main, 3);
    EXPECT_EQ(main.measure(), scan::MeasureAddedSinceScan);
    EXPECT_NE(main.statusText().find(u"  \u2014  Added Since Last Scan: "), std::u16string::npos);
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowScanTest, StopEndsALargeScanThatKeepsWhatItFound) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(kLargeFolder));
    const HWND stop = GetDlgItem(main.window(), ControlStop);
    ASSERT_TRUE(pumpUntil(main, [&] { return statusStartsWith(main, u"Scanning\u2026 "); }));
    EXPECT_TRUE(IsWindowVisible(stop));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(main.window(), ControlRefresh)));
    // The progress tick rebuilds the picture while the scan runs.
    ASSERT_TRUE(pumpUntil(main, [&] { return main.treemapView()->model().picture() != nullptr; }));
    ASSERT_TRUE(main.controller().running()) << "the folder must outlast the first picture";
    EXPECT_TRUE(main.treemapView()->model().recycling()) << "pictures follow each other closely";

    SendMessageW(stop, BM_CLICK, 0, 0);
    EXPECT_EQ(textOf(stop), L"Stopping\u2026");
    EXPECT_FALSE(IsWindowEnabled(stop));
    ASSERT_TRUE(pumpUntil(main, [&] { return !main.controller().running(); }));
    ASSERT_TRUE(pumpUntil(main, [&] { return statusStartsWith(main, u"Scan stopped \u00B7 "); }));
    EXPECT_EQ(textOf(stop), L"Stop");
    EXPECT_TRUE(IsWindowEnabled(stop));
    EXPECT_FALSE(IsWindowVisible(stop));
    EXPECT_GT(rowsOf(main), 1u) << "what was found stays";
    EXPECT_FALSE(main.treemapView()->model().recycling()) << "the spare picture went";
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowScanTest, LeavingARunningScanKeepsNoSparePicture) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(kLargeFolder));
    ASSERT_TRUE(pumpUntil(main, [&] { return main.treemapView()->model().picture() != nullptr; }));
    ASSERT_TRUE(main.controller().running()) << "the folder must outlast the first picture";
    ASSERT_TRUE(main.treemapView()->model().recycling());
    main.closeScan();
    EXPECT_TRUE(main.welcomeShown());
    EXPECT_FALSE(main.treemapView()->model().recycling());
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

// Records the menu requests that reach the main window's procedure, which would otherwise open
// a modal menu, and passes everything else on.
struct Recorder {
    static inline WNDPROC original = nullptr;
    static inline HWND contextFrom = nullptr;
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_CONTEXTMENU) {
            contextFrom = reinterpret_cast<HWND>(wParam);
            return 0;
        }
        return CallWindowProcW(original, window, message, wParam, lParam);
    }
};

class TreemapInMainWindowTest : public windowtest::MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        tree_ = makeTree("tree", 3, 2, 6);
        chooseSettings();
        ASSERT_TRUE(main_.create(u""));
        SetWindowPos(main_.window(), HWND_TOP, 0, 0, 1200, 800, SWP_SHOWWINDOW);
        ASSERT_TRUE(scanToTheEnd(main_, tree_.root.u16string()));
        view_ = main_.treemapView();
        ASSERT_TRUE(pumpUntilPicture(0));
    }
    void TearDown() override {
        EXPECT_EQ(closeAndPump(main_), std::optional<int>(0));
        MainWindowFixture::TearDown();
    }

    // Settings the test wants before the window exists.
    virtual void chooseSettings() {}

    const scan::NodeStore& store() const { return main_.controller().scanner()->store(); }
    bool pumpUntilPicture(scan::NodeId root) {
        return pumpUntil(main_, [&] {
            const treemap::TreemapImage* picture = view_->model().picture();
            return picture != nullptr && picture->root == root && !view_->schedule().building() &&
                   view_->model().animation() == nullptr;
        });
    }
    // The centre of the largest drawn item that `wanted` accepts, in client coordinates.
    POINT centreOf(const std::function<bool(const treemap::TreemapItem&)>& wanted) const {
        const treemap::TreemapImage& picture = *view_->model().picture();
        const treemap::TreemapItem* best = nullptr;
        for (const treemap::TreemapItem& item : picture.items) {
            if (item.drawn && wanted(item) &&
                (best == nullptr || item.rect.area() > best->rect.area())) {
                best = &item;
            }
        }
        if (best == nullptr) {
            ADD_FAILURE() << "no such item in the picture";
            return {-1, -1};
        }
        return {static_cast<LONG>(best->rect.x + best->rect.w / 2),
                static_cast<LONG>(best->rect.y + best->rect.h / 2)};
    }
    bool isFile(const treemap::TreemapItem& item) const {
        return item.node > 0 && item.hiddenCount == 0 &&
               !store().hasFlag(static_cast<scan::NodeId>(item.node), scan::FlagFolder);
    }
    void send(UINT message, POINT at, WPARAM keys = 0) {
        SendMessageW(view_->window(), message, keys, MAKELPARAM(at.x, at.y));
    }
    std::int32_t nodeAt(POINT at) const {
        const treemap::TreemapImage& picture = *view_->model().picture();
        return picture
            .items[static_cast<std::size_t>(
                picture.itemAt[static_cast<std::size_t>(at.y * picture.width + at.x)])]
            .node;
    }
    // The last frame of the animation that just ran maps `from` onto `to`.
    void expectLastFrameMaps(const treemap::Rect& from, const treemap::Rect& to) const {
        const std::optional<treemap::AnimationFrame>& frame = view_->lastAnimationFrame();
        ASSERT_TRUE(frame.has_value()) << "the animation was painted";
        EXPECT_TRUE(frame->finished) << "its last frame was painted";
        const treemap::SnapshotPlacement& p = frame->placement;
        EXPECT_NEAR(p.left + p.scaleX * from.x, to.x, 1e-6);
        EXPECT_NEAR(p.top + p.scaleY * from.y, to.y, 1e-6);
        EXPECT_NEAR(p.scaleX * from.w, to.w, 1e-6);
        EXPECT_NEAR(p.scaleY * from.h, to.h, 1e-6);
    }

    windowtest::GeneratedTree tree_;
    MainWindow main_{settings_};
    treemap::TreemapView* view_ = nullptr;
};

TEST_F(TreemapInMainWindowTest, DoubleClickingAFileZoomsToItsFolderAndZoomingOutReturns) {
    RECT client{};
    GetClientRect(view_->window(), &client);
    const treemap::Rect whole{0, 0, static_cast<double>(client.right),
                              static_cast<double>(client.bottom)};
    const POINT onFile = centreOf([&](const treemap::TreemapItem& i) { return isFile(i); });
    const auto file = static_cast<scan::NodeId>(nodeAt(onFile));
    const scan::NodeId folder = store().parent.get(file);
    ASSERT_NE(folder, 0u) << "the files lie two folders deep";

    send(WM_MOUSEMOVE, onFile);
    send(WM_LBUTTONDBLCLK, onFile, MK_LBUTTON);
    ASSERT_EQ(view_->zoomDepth(), 2u);
    const treemap::ZoomEntry entered = view_->model().zoomStack().back();
    EXPECT_EQ(entered.node, folder) << "a file means the folder that holds it";
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(main_.window(), ControlZoomOut)));
    ASSERT_TRUE(pumpUntilPicture(folder));
    expectLastFrameMaps(entered.rect, whole);

    // The middle button goes back, shrinking the folder's picture into where it was.
    send(WM_MBUTTONDOWN, onFile, MK_MBUTTON);
    EXPECT_EQ(view_->zoomDepth(), 1u);
    ASSERT_TRUE(pumpUntilPicture(0));
    expectLastFrameMaps(whole, entered.rect);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(main_.window(), ControlZoomOut)));

    // Backspace goes back too, wherever the focus is.
    send(WM_MOUSEMOVE, onFile);
    send(WM_LBUTTONDBLCLK, onFile, MK_LBUTTON);
    ASSERT_EQ(view_->zoomDepth(), 2u);
    SetForegroundWindow(main_.window());
    SetFocus(view_->window());
    harness::pressKey(VK_BACK);
    ASSERT_TRUE(pumpUntil(main_, [&] { return view_->zoomDepth() == 1; }));
    ASSERT_TRUE(pumpUntilPicture(0));
}

// Every key a user reaches for to zoom, on the main keyboard and the keypad, pressed for real.
TEST_F(TreemapInMainWindowTest, EveryPlusKeyZoomsInAndEveryMinusKeyZoomsOut) {
    const POINT onFile = centreOf([&](const treemap::TreemapItem& i) { return isFile(i); });
    const auto file = static_cast<scan::NodeId>(nodeAt(onFile));
    SetForegroundWindow(main_.window());
    SetFocus(view_->window());
    struct Key {
        const char* name;
        WORD key;
        std::initializer_list<WORD> modifiers;
    };
    const Key ins[] = {
        {"Ctrl+=", VK_OEM_PLUS, {VK_CONTROL}},
        {"Ctrl+Shift+= (Ctrl++)", VK_OEM_PLUS, {VK_CONTROL, VK_SHIFT}},
        {"Ctrl+keypad +", VK_ADD, {VK_CONTROL}},
    };
    const Key outs[] = {
        {"Ctrl+-", VK_OEM_MINUS, {VK_CONTROL}},
        {"Ctrl+keypad -", VK_SUBTRACT, {VK_CONTROL}},
        {"Ctrl+keypad - again", VK_SUBTRACT, {VK_CONTROL}},
    };
    for (std::size_t i = 0; i < std::size(ins); ++i) {
        SCOPED_TRACE(ins[i].name);
        main_.selectNode(static_cast<std::int32_t>(file));
        harness::pressKey(ins[i].key, ins[i].modifiers);
        ASSERT_TRUE(pumpUntil(main_, [&] { return view_->zoomDepth() == 2; }));
        ASSERT_TRUE(pumpUntilPicture(store().parent.get(file)));
        SCOPED_TRACE(outs[i].name);
        harness::pressKey(outs[i].key, outs[i].modifiers);
        ASSERT_TRUE(pumpUntil(main_, [&] { return view_->zoomDepth() == 1; }));
        ASSERT_TRUE(pumpUntilPicture(0));
    }
}

// Both space blocks on from the start, so no change of a setting builds them.
class SpaceBlocksInMainWindowTest : public TreemapInMainWindowTest {
  protected:
    void chooseSettings() override {
        settings_.setShowFreeSpace(true);
        settings_.setShowOtherSpace(true);
    }
};

TEST_F(SpaceBlocksInMainWindowTest, TheFirstScanShowsTheDrivesSpaceAndItCannotBeZoomedInto) {
    const scan::VolumeInfo& volume = main_.controller().volume();
    ASSERT_GT(volume.totalBytes, 0u) << "the test needs a drive that tells its size";
    const treemap::TreemapImage& picture = *view_->model().picture();
    ASSERT_TRUE(picture.blockInfo.contains(treemap::FreeSpaceId));
    EXPECT_EQ(picture.blockInfo.at(treemap::FreeSpaceId).size,
              static_cast<std::int64_t>(volume.freeBytes));
    // The other space is what the finished scan left over, not what it had found at its start.
    const auto other =
        static_cast<std::int64_t>(volume.totalBytes - volume.freeBytes - store().allocated.get(0));
    if (other > 0) {
        ASSERT_TRUE(picture.blockInfo.contains(treemap::OtherSpaceId));
        EXPECT_EQ(picture.blockInfo.at(treemap::OtherSpaceId).size, other);
    }

    const POINT onBlock =
        centreOf([](const treemap::TreemapItem& i) { return i.node == treemap::FreeSpaceId; });
    send(WM_MOUSEMOVE, onBlock);
    send(WM_LBUTTONDBLCLK, onBlock, MK_LBUTTON);
    EXPECT_EQ(view_->zoomDepth(), 1u);
    EXPECT_FALSE(view_->schedule().building()) << "nothing was asked for";
    EXPECT_EQ(view_->model().animation(), nullptr);
}

TEST_F(TreemapInMainWindowTest, HoveringAFileShowsItsPathSizeAndKindAndClicksSelectAndForward) {
    const POINT onFile = centreOf([&](const treemap::TreemapItem& i) { return isFile(i); });
    const auto file = static_cast<scan::NodeId>(nodeAt(onFile));
    send(WM_MOUSEMOVE, onFile);

    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = view_->window();
    tool.uId = reinterpret_cast<UINT_PTR>(view_->window());
    wchar_t text[512] = {};
    tool.lpszText = text;
    SendMessageW(view_->tooltip(), TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    const std::u16string shown = reinterpret_cast<const char16_t*>(text);
    const std::size_t newline = shown.find(u'\n');
    ASSERT_NE(newline, std::u16string::npos) << scan::toUtf8(shown);
    const std::u16string title = shown.substr(0, newline);
    const std::u16string body = shown.substr(newline + 1);
    // The file is one that makeTree wrote: its path names the folders it was written in.
    EXPECT_TRUE(title.starts_with(tree_.root.u16string() + u"\\folder")) << scan::toUtf8(title);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(title))) << scan::toUtf8(title);
    EXPECT_EQ(body, ui::sizeText(static_cast<std::int64_t>(store().allocated.get(file))) +
                        u"  \u00B7  " + scan::kindName(store().kind.get(file)));

    // A left click selects; a right click selects and hands the menu to the main window.
    send(WM_LBUTTONDOWN, onFile, MK_LBUTTON);
    EXPECT_EQ(view_->selectedNode(), static_cast<std::int32_t>(file));
    Recorder::original = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        main_.window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Recorder::procedure)));
    view_->setSelectedNode(-1);
    send(WM_RBUTTONDOWN, onFile, MK_RBUTTON);
    SetWindowLongPtrW(main_.window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Recorder::original));
    EXPECT_EQ(view_->selectedNode(), static_cast<std::int32_t>(file));
    EXPECT_EQ(Recorder::contextFrom, view_->window());
}

// The measure box chosen from the keyboard, with real key presses: the choice the box shows is
// the window's measure and stays so; Esc closes the opened list without stopping anything or
// choosing again.
TEST_F(MainWindowScanTest, AMeasureChosenFromTheKeyboardStaysChosen) {
    const windowtest::GeneratedTree tree = makeTree("tree", 2, 2, 5);
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    SetWindowPos(main.window(), HWND_TOP, 0, 0, 1200, 800, SWP_SHOWWINDOW);
    ASSERT_TRUE(scanToTheEnd(main, tree.root.u16string()));
    const HWND box = GetDlgItem(main.window(), ControlMeasureBox);
    SetForegroundWindow(main.window());
    RECT client{};
    GetClientRect(box, &client);
    const POINT middle{client.right / 2, client.bottom / 2};
    const auto dropped = [&] { return SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0) != 0; };
    harness::clickAt(box, middle);
    ASSERT_TRUE(pumpUntil(main, dropped));
    harness::pressKey(VK_DOWN);
    harness::pressKey(VK_RETURN);
    pumpPending(main);
    EXPECT_FALSE(dropped());
    EXPECT_EQ(main.measure(), scan::MeasureAddedMonth);
    EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), scan::MeasureAddedMonth);

    // Opened again and left with Esc: the list closes and the choice stays.
    harness::clickAt(box, middle);
    ASSERT_TRUE(pumpUntil(main, dropped));
    harness::pressKey(VK_ESCAPE);
    EXPECT_TRUE(pumpUntil(main, [&] { return !dropped(); })) << "Esc closes the opened list";
    EXPECT_EQ(main.measure(), scan::MeasureAddedMonth);
    EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), scan::MeasureAddedMonth);
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

}  // namespace
}  // namespace app
