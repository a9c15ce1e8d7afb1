// The main window from the keyboard alone, with real key presses: where Tab, Shift+Tab and F6
// take the focus, what Enter and the arrows do in each pane, that a click gives a pane the
// keyboard, and that the pane with the keyboard shows it.

#include "app/commands.h"
#include "ui/palette.h"
#include "ui/theme_win32.h"

#include "main_window_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace app {
namespace {

class KeyboardFocusTest : public windowtest::MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        tree_ = makeTree("tree", 3, 2, 4);
    }
    void TearDown() override {
        if (main_.window() != nullptr) {
            EXPECT_EQ(closeAndPump(main_), std::optional<int>(0));
        }
        MainWindowFixture::TearDown();
    }

    // The window opened on the tree as the program opens on a folder named on its command line.
    void openOnTheTree() {
        ASSERT_TRUE(main_.create(tree_.root.u16string()));
        SetWindowPos(main_.window(), HWND_TOP, 0, 0, 1200, 800, SWP_SHOWWINDOW);
        SetForegroundWindow(main_.window());
        ASSERT_TRUE(pumpUntilScanComplete(main_));
        // The picture of the whole tree, not one from the scan's first moments.
        ASSERT_TRUE(pumpUntil(main_, [&] {
            const treemap::TreemapImage* picture = main_.treemapView()->model().picture();
            return picture != nullptr && picture->items.size() > 1;
        }));
    }
    // Presses a key for real and pumps until the focus is on `expected`.
    bool pressUntilFocus(WORD key, std::initializer_list<WORD> modifiers, HWND expected) {
        harness::pressKey(key, modifiers);
        return pumpUntil(main_, [&] { return GetFocus() == expected; });
    }
    HWND control(int id) const { return GetDlgItem(main_.window(), id); }
    HWND list() const { return main_.fileList()->window(); }
    HWND kinds() const { return main_.kindPane()->window(); }
    HWND treemap() const { return main_.treemapView()->window(); }
    std::string nameOf(HWND window) const {
        const struct {
            HWND window;
            const char* name;
        } known[] = {{control(ControlOpen), "Open"},
                     {control(ControlMeasureBox), "measure"},
                     {control(ControlRefresh), "Refresh"},
                     {control(ControlStop), "Stop"},
                     {control(ControlZoomOut), "Zoom Out"},
                     {kinds(), "kinds pane"},
                     {list(), "file list"},
                     {treemap(), "treemap"},
                     {main_.window(), "frame"}};
        for (const auto& entry : known) {
            if (entry.window == window) {
                return entry.name;
            }
        }
        return window == nullptr ? "nothing" : "another window";
    }

    windowtest::GeneratedTree tree_;
    MainWindow main_{settings_};
};

TEST_F(KeyboardFocusTest, TabShiftTabAndF6CycleTheToolbarAndThePanes) {
    openOnTheTree();
    // A scan named on the command line leaves the keyboard with the list, not the frame: Down
    // chooses the first row at once.
    ASSERT_TRUE(pumpUntil(main_, [&] { return GetFocus() == list(); })) << nameOf(GetFocus());
    harness::pressKey(VK_DOWN);
    ASSERT_TRUE(pumpUntil(main_, [&] { return main_.fileList()->focus() == 0; }));

    struct Step {
        WORD key;
        std::initializer_list<WORD> modifiers;
        HWND expected;
    };
    // Zoom Out and Stop are hidden after the scan; every other control and pane takes its turn,
    // in the order they stand, and the cycle wraps round both ways.
    const Step steps[] = {
        {VK_TAB, {}, treemap()},
        {VK_TAB, {}, control(ControlOpen)},
        {VK_TAB, {}, control(ControlMeasureBox)},
        {VK_TAB, {}, control(ControlRefresh)},
        {VK_TAB, {}, kinds()},
        {VK_TAB, {}, list()},
        {VK_TAB, {VK_SHIFT}, kinds()},
        {VK_TAB, {VK_SHIFT}, control(ControlRefresh)},
        {VK_TAB, {VK_SHIFT}, control(ControlMeasureBox)},
        // F6 goes from pane to pane, the toolbar counting as one, entered at its start.
        {VK_F6, {}, kinds()},
        {VK_F6, {}, list()},
        {VK_F6, {}, treemap()},
        {VK_F6, {}, control(ControlOpen)},
        {VK_F6, {VK_SHIFT}, treemap()},
        {VK_F6, {VK_SHIFT}, list()},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const Step& step = steps[i];
        SCOPED_TRACE("step " + std::to_string(i) + " to " + nameOf(step.expected));
        EXPECT_TRUE(pressUntilFocus(step.key, step.modifiers, step.expected))
            << "the focus is on " << nameOf(GetFocus());
    }
}

TEST_F(KeyboardFocusTest, AClickGivesThePaneTheKeyboardAndHiddenControlsHandItOn) {
    openOnTheTree();
    const struct {
        HWND pane;
        POINT at;
    } clicks[] = {{list(), {60, 40}}, {kinds(), {60, 60}}, {treemap(), {100, 100}}};
    for (const auto& click : clicks) {
        SCOPED_TRACE(nameOf(click.pane));
        SetFocus(control(ControlMeasureBox));
        harness::clickAt(click.pane, click.at);
        EXPECT_EQ(GetFocus(), click.pane) << nameOf(GetFocus());
    }

    // The kinds pane switched off while it has the keyboard hands it to the list.
    SetFocus(kinds());
    main_.command(CommandFileKindsPanel);
    ASSERT_TRUE(pumpUntil(main_, [&] { return !IsWindowVisible(kinds()); }));
    EXPECT_EQ(GetFocus(), list()) << nameOf(GetFocus());
    main_.command(CommandFileKindsPanel);

    // Away to another window and back: the keyboard returns where it was.
    SetFocus(treemap());
    const HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                       0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    SetActiveWindow(other);
    SetActiveWindow(main_.window());
    EXPECT_EQ(GetFocus(), treemap()) << nameOf(GetFocus());
    DestroyWindow(other);
}

TEST_F(KeyboardFocusTest, EnterAndTheArrowsDoWhatTheMouseWouldInTheListAndTheTreemap) {
    openOnTheTree();
    ASSERT_TRUE(pumpUntil(main_, [&] { return GetFocus() == list(); }));
    const panes::FileListModel& model = main_.fileList()->model();
    const auto focus = [&] { return main_.fileList()->focus(); };
    const scan::NodeStore& store = main_.controller().scanner()->store();

    // The list: the root is open; Right steps into its first child, Enter opens that folder as a
    // double click does, Right steps into it, Left goes back to the parent.
    harness::pressKey(VK_HOME);
    ASSERT_TRUE(pumpUntil(main_, [&] { return focus() == 0; }));
    harness::pressKey(VK_RIGHT);
    ASSERT_TRUE(pumpUntil(main_, [&] { return focus() > 0; }));
    const std::int32_t folder = focus();
    EXPECT_EQ(store.parent.get(static_cast<scan::NodeId>(folder)), 0u);
    EXPECT_FALSE(model.isExpanded(static_cast<scan::NodeId>(folder)));
    harness::pressKey(VK_RETURN);
    ASSERT_TRUE(
        pumpUntil(main_, [&] { return model.isExpanded(static_cast<scan::NodeId>(folder)); }));
    harness::pressKey(VK_RIGHT);
    ASSERT_TRUE(pumpUntil(main_, [&] { return focus() != folder; }));
    EXPECT_EQ(store.parent.get(static_cast<scan::NodeId>(focus())),
              static_cast<scan::NodeId>(folder));
    harness::pressKey(VK_LEFT);
    ASSERT_TRUE(pumpUntil(main_, [&] { return focus() == folder; }));
    harness::pressKey(VK_RETURN);
    ASSERT_TRUE(
        pumpUntil(main_, [&] { return !model.isExpanded(static_cast<scan::NodeId>(folder)); }));

    // The treemap: the arrows step from item to item, and the list follows; Enter zooms into the
    // chosen item's folder.
    ASSERT_TRUE(pressUntilFocus(VK_TAB, {}, treemap()));
    treemap::TreemapView& view = *main_.treemapView();
    const struct {
        WORD key;
        treemap::Direction direction;
    } arrows[] = {{VK_RIGHT, treemap::Direction::Right},
                  {VK_DOWN, treemap::Direction::Down},
                  {VK_LEFT, treemap::Direction::Left},
                  {VK_UP, treemap::Direction::Up}};
    int moves = 0;
    for (const auto& arrow : arrows) {
        const std::int32_t expected = view.model().nodeBeside(arrow.direction);
        harness::pressKey(arrow.key);
        if (expected < 0) {
            continue;
        }
        EXPECT_TRUE(pumpUntil(main_, [&] { return view.selectedNode() == expected; }));
        EXPECT_EQ(focus(), expected) << "the list shows what the treemap chose";
        ++moves;
    }
    EXPECT_GE(moves, 2) << "the folder chosen in the list has neighbours";
    ASSERT_GE(view.selectedNode(), 1);
    harness::pressKey(VK_RETURN);
    ASSERT_TRUE(pumpUntil(main_, [&] { return view.zoomDepth() == 2; }));
    const auto chosen = static_cast<scan::NodeId>(view.selectedNode());
    const scan::NodeId entered = view.model().zoomStack().back().node;
    EXPECT_TRUE(entered == chosen || entered == store.parent.get(chosen));
}

TEST_F(KeyboardFocusTest, EnterAndSpacePressTheToolbarsButtons) {
    openOnTheTree();
    ASSERT_TRUE(pumpUntil(main_, [&] { return GetFocus() == list(); }));
    ASSERT_TRUE(pressUntilFocus(VK_TAB, {VK_SHIFT}, kinds()));
    ASSERT_TRUE(pressUntilFocus(VK_TAB, {VK_SHIFT}, control(ControlRefresh)));
    // A file made since the scan shows only if Space on Refresh scans again.
    writeFile(tree_.root / "new.bin", 100);
    const auto filesSeen = [&] {
        const scan::Scanner* scanner = main_.controller().scanner();
        return scanner == nullptr ? 0 : scanner->store().fileCount.get(0);
    };
    ASSERT_EQ(filesSeen(), static_cast<std::uint64_t>(tree_.files));
    harness::pressKey(VK_SPACE);
    ASSERT_TRUE(pumpUntil(main_, [&] {
        return filesSeen() == static_cast<std::uint64_t>(tree_.files) + 1 &&
               !main_.controller().running() && statusStartsWith(main_, u"Scan complete");
    })) << "Space on Refresh scans again";
    // The new scan gives the keyboard to the list again.
    ASSERT_TRUE(pumpUntil(main_, [&] { return GetFocus() == list(); })) << nameOf(GetFocus());
    ASSERT_TRUE(pressUntilFocus(VK_F6, {}, treemap()));
    ASSERT_TRUE(pressUntilFocus(VK_F6, {}, control(ControlOpen)));
    harness::pressKey(VK_RETURN);
    ASSERT_TRUE(pumpUntil(main_, [&] { return main_.welcomeShown(); })) << "Enter on Open…";
    EXPECT_EQ(GetFocus(), main_.welcomeView()->window()) << "the start page has the keyboard";
}

TEST_F(KeyboardFocusTest, TheStartPageTakesTabFromStopToStopAndRoundAgain) {
    ASSERT_TRUE(main_.create(u""));
    SetWindowPos(main_.window(), HWND_TOP, 0, 0, 1200, 800, SWP_SHOWWINDOW);
    SetForegroundWindow(main_.window());
    const panes::WelcomeView& view = *main_.welcomeView();
    ASSERT_TRUE(pumpUntil(main_, [&] { return GetFocus() == view.window(); }))
        << "the page has the keyboard from the start: " << nameOf(GetFocus());
    ASSERT_GE(view.stops().size(), 2u);
    EXPECT_FALSE(view.focusMarkShown()) << "no mark before the keyboard is used";

    harness::pressKey(VK_TAB);
    ASSERT_TRUE(pumpUntil(main_, [&] { return view.focusedStop() == 0; }));
    EXPECT_TRUE(view.focusMarkShown());
    harness::pressKey(VK_TAB);
    ASSERT_TRUE(pumpUntil(main_, [&] { return view.focusedStop() == 1; }));
    // Shift+Tab twice: back to the first stop, then round to the last, the toolbar being hidden.
    harness::pressKey(VK_TAB, {VK_SHIFT});
    harness::pressKey(VK_TAB, {VK_SHIFT});
    const int last = static_cast<int>(view.stops().size()) - 1;
    ASSERT_TRUE(pumpUntil(main_, [&] { return view.focusedStop() == last; }));
    EXPECT_EQ(GetFocus(), view.window());
}

// The pixel a little inside the left edge of the list's row for `node`, once painted.
COLORREF rowPixel(const MainWindow& main, std::int32_t node) {
    const panes::FileListModel& model = main.fileList()->model();
    const std::vector<panes::ListRow>& rows = model.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (static_cast<std::int32_t>(rows[i].node) == node) {
            const int top =
                model.firstVisibleTop() +
                static_cast<int>(static_cast<std::int64_t>(i) - model.firstVisibleRow()) *
                    model.metrics().rowHeight;
            return harness::repaintedPixel(main.fileList()->window(), 2,
                                           top + model.metrics().rowHeight / 2);
        }
    }
    return CLR_INVALID;
}

TEST_F(KeyboardFocusTest, ThePaneWithTheKeyboardShowsIt) {
    openOnTheTree();
    ASSERT_TRUE(pumpUntil(main_, [&] { return GetFocus() == list(); }));
    const ui::Palette& colours = ui::palette();
    harness::pressKey(VK_HOME);
    ASSERT_TRUE(pumpUntil(main_, [&] { return main_.fileList()->focus() == 0; }));
    harness::pressKey(VK_DOWN);
    ASSERT_TRUE(pumpUntil(main_, [&] { return main_.fileList()->focus() > 0; }));
    const std::int32_t chosen = main_.fileList()->focus();

    // The list's selection: the accent while the list has the keyboard, grey when it has not.
    EXPECT_EQ(rowPixel(main_, chosen), colours.accent);
    SetFocus(treemap());
    EXPECT_EQ(rowPixel(main_, chosen), colours.inactiveSelection);

    // The treemap: the chosen item's inner frame turns to the focus colour while it has the
    // keyboard.
    const std::optional<treemap::SelectionFrame> frame =
        main_.treemapView()->model().selectionFrame();
    ASSERT_TRUE(frame && frame->inner);
    const int x = frame->inner->left;
    const int y = (frame->inner->top + frame->inner->bottom) / 2;
    EXPECT_EQ(harness::repaintedPixel(treemap(), x, y), colours.focusMark);
    SetFocus(list());
    EXPECT_NE(harness::repaintedPixel(treemap(), x, y), colours.focusMark);

    // The kinds pane, where nothing is chosen, is framed.
    EXPECT_NE(harness::repaintedPixel(kinds(), 0, 40), colours.focusMark);
    SetFocus(kinds());
    EXPECT_EQ(harness::repaintedPixel(kinds(), 0, 40), colours.focusMark);
}

}  // namespace
}  // namespace app
