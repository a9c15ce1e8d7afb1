// Where the real main window puts its toolbar and panes, and its splitters moved by real mouse
// input.

#include "app/commands.h"
#include "ui/theme_win32.h"

#include "main_window_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <utility>

namespace app {
namespace {

class MainWindowLayoutTest : public windowtest::MainWindowFixture {
  protected:
    // Opens a scan of a small tree, so the panes are laid out instead of the welcome view.
    void open(MainWindow& main) {
        ASSERT_TRUE(main.create(u""));
        const windowtest::GeneratedTree tree = makeTree("tree", 2, 1, 3);
        ASSERT_TRUE(scanToTheEnd(main, tree.root.u16string()));
        ASSERT_FALSE(main.welcomeShown());
    }

    // Real mouse input: the events go through the system's input queue to whatever window is under
    // the pointer or holds the capture.
    static void sendMouse(DWORD flags, POINT screen = {}) {
        INPUT input = harness::mouseInput(flags, screen);
        SendInput(1, &input, sizeof(input));
    }

    // Moves the pointer to client point (x, y) of `window` and answers where it landed, in client
    // coordinates, once the window has seen it.
    static POINT moveMouse(MainWindow& main, int x, int y) {
        POINT screen{x, y};
        ClientToScreen(main.window(), &screen);
        sendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, screen);
        POINT now{};
        harness::pumpUntil(
            [&] {
                GetCursorPos(&now);
                return std::abs(now.x - screen.x) <= 1 && std::abs(now.y - screen.y) <= 1;
            },
            harness::kPatience, loopOf(main));
        pumpPending(main);
        ScreenToClient(main.window(), &now);
        return now;
    }

    // Presses or releases the left button and pumps until the thread has taken the click.
    static void pressAndPump(MainWindow& main, DWORD flag) {
        sendMouse(flag);
        const bool down = flag == MOUSEEVENTF_LEFTDOWN;
        harness::pumpUntil([down] { return ((GetKeyState(VK_LBUTTON) & 0x8000) != 0) == down; },
                           std::chrono::seconds(10), loopOf(main));
        pumpPending(main);
    }
};

RECT childRect(HWND main, int id) {
    return harness::placeIn(main, GetDlgItem(main, id));
}

TEST_F(MainWindowLayoutTest, EverySizeKeepsThePanesMinimumsWithoutOverlap) {
    MainWindow main(settings_);
    open(main);
    const HWND window = main.window();
    ASSERT_EQ(ui::windowDpi(window), 96) << "the metrics below are at 96 DPI";
    const int top = 42;
    const int gap = 6;
    const COLORREF line = ui::palette().line;
    struct Size {
        int width;
        int height;
    };
    // The window refuses to be narrower than its minimum, where every pane keeps its own.
    const Size sizes[] = {{1400, 900}, {800, 600}, {330, 400}};
    for (const Size& size : sizes) {
        for (const bool kinds : {true, false}) {
            for (const bool stacked : {false, true}) {
                SCOPED_TRACE(::testing::Message()
                             << size.width << "x" << size.height << (kinds ? " kinds" : "")
                             << (stacked ? " stacked" : " side by side"));
                // The settings' listener lays the window out again, as a menu toggle would.
                settings_.setShowFileKindStatistics(kinds);
                settings_.setSplitHorizontally(stacked);
                SetWindowPos(window, nullptr, 0, 0, size.width, size.height,
                             SWP_NOZORDER | SWP_NOACTIVATE);
                RECT client{};
                GetClientRect(window, &client);
                const MainLayout& layout = main.mainLayout();

                const int x0 = kinds ? layout.kindsWidth() + gap : 0;
                if (kinds) {
                    EXPECT_GE(layout.kindsWidth(), 140);
                }
                EXPECT_GE(layout.listSize(), stacked ? 120 : 200);

                const HWND treemap = GetDlgItem(window, ControlTreemap);
                ASSERT_NE(treemap, nullptr);
                EXPECT_TRUE(IsWindowVisible(treemap));
                const RECT t = childRect(window, ControlTreemap);
                const bool vanished = t.right == t.left;
                EXPECT_GE(t.right - t.left, 0);
                if (!vanished) {
                    EXPECT_LE(t.right, client.right);
                }
                EXPECT_EQ(t.bottom, client.bottom);
                // The treemap starts after the file list's place and its splitter.
                if (stacked) {
                    EXPECT_EQ(t.left, x0);
                    EXPECT_EQ(t.top, top + layout.listSize() + gap);
                } else {
                    EXPECT_EQ(t.left, x0 + layout.listSize() + gap);
                    EXPECT_EQ(t.top, top);
                }
                EXPECT_FALSE(vanished);

                // The buttons sit in the band, and nothing of the content covers it.
                for (const int id : {ControlOpen, ControlRefresh, ControlStop, ControlZoomOut}) {
                    const RECT b = childRect(window, id);
                    EXPECT_GE(b.top, 0);
                    EXPECT_LE(b.bottom, top);
                }
                // The places of panes that do not exist yet, and the splitters, show the line
                // colour.
                if (kinds) {
                    EXPECT_EQ(
                        harness::paintedPixel(window, layout.kindsWidth() + gap / 2, top + 20),
                        line);
                }
                const POINT splitter = stacked ? POINT{x0 + 5, top + layout.listSize() + gap / 2}
                                               : POINT{x0 + layout.listSize() + gap / 2, top + 20};
                if (splitter.x < client.right && splitter.y < client.bottom) {
                    EXPECT_EQ(harness::paintedPixel(window, splitter.x, splitter.y), line);
                }
            }
        }
    }
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowLayoutTest, ThePanesGetTheirWidthsBackAfterTheWindowWasMinimisedOrSmall) {
    MainWindow main(settings_);
    open(main);
    const HWND window = main.window();
    settings_.setShowFileKindStatistics(true);
    settings_.setSplitHorizontally(false);
    const auto resize = [&](int width, int height) {
        SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    struct Case {
        const char* name;
        std::function<void()> squeeze;
    };
    const Case cases[] = {
        {"minimised",
         [&] {
             ShowWindow(window, SW_MINIMIZE);
             pumpUntil(main, [&] { return IsIconic(window) != FALSE; });
         }},
        {"made small", [&] { resize(420, 300); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShowWindow(window, SW_RESTORE);
        resize(1200, 800);
        pumpPending(main);
        const auto widths = [&] {
            const RECT kinds = childRect(window, ControlKindsPane);
            const RECT list = childRect(window, ControlFileList);
            return std::pair<int, int>(kinds.right - kinds.left, list.right - list.left);
        };
        ASSERT_EQ(widths(), (std::pair{300, 360}));
        c.squeeze();
        pumpPending(main);
        ShowWindow(window, SW_RESTORE);
        resize(1200, 800);
        ASSERT_TRUE(pumpUntil(main, [&] { return IsIconic(window) == FALSE; }));
        pumpPending(main);
        EXPECT_EQ(widths(), (std::pair{300, 360}));
    }
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

// Sizes asked for below the smallest give the smallest; at each, the toolbar's buttons stay apart
// and the status line takes the room of the buttons that are hidden after a scan.
TEST_F(MainWindowLayoutTest, TheWindowKeepsAMinimumSizeAtWhichTheToolbarFits) {
    MainWindow main(settings_);
    open(main);
    const HWND window = main.window();
    ASSERT_EQ(ui::windowDpi(window), 96) << "the metrics below are at 96 DPI";
    const ClientSize smallest = minimumClientSize(96);
    struct Size {
        int width;
        int height;
        bool belowTheMinimum;
    };
    const Size sizes[] = {{800, 600, false}, {260, 190, true}, {600, 800, true}};
    for (const Size& size : sizes) {
        SCOPED_TRACE(::testing::Message() << size.width << "x" << size.height);
        SetWindowPos(window, nullptr, 0, 0, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE);
        pumpPending(main);
        RECT client{};
        GetClientRect(window, &client);
        EXPECT_GE(client.right, smallest.width);
        EXPECT_GE(client.bottom, smallest.height);
        if (size.belowTheMinimum) {
            EXPECT_EQ(client.right, smallest.width);
        }
        const RECT open = childRect(window, ControlOpen);
        const RECT measure = childRect(window, ControlMeasureBox);
        const RECT zoomOut = childRect(window, ControlZoomOut);
        const RECT stop = childRect(window, ControlStop);
        const RECT refresh = childRect(window, ControlRefresh);
        EXPECT_LE(open.right, measure.left);
        EXPECT_LE(measure.right, zoomOut.left);
        EXPECT_LT(zoomOut.right, stop.left);
        EXPECT_LT(stop.right, refresh.left);
        EXPECT_LE(refresh.right, client.right);

        ASSERT_FALSE(IsWindowVisible(GetDlgItem(window, ControlStop)));
        ASSERT_FALSE(IsWindowVisible(GetDlgItem(window, ControlZoomOut)));
        const StatusArea status = main.statusArea();
        EXPECT_EQ(status.left, measure.right + 14);
        EXPECT_EQ(status.right, refresh.left - 10) << "the hidden buttons leave their room";
    }
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowLayoutTest, ASplitterDraggedPastItsLimitStopsThereAndIsGrabbedAgainWhereDrawn) {
    MainWindow main(settings_);
    open(main);
    const HWND window = main.window();
    settings_.setShowFileKindStatistics(true);
    SetWindowPos(window, HWND_TOP, 0, 0, 1000, 700, SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    RECT client{};
    GetClientRect(window, &client);
    const int top = 42;
    const int gap = 6;
    const HCURSOR westEast = LoadCursorW(nullptr, IDC_SIZEWE);
    const HCURSOR northSouth = LoadCursorW(nullptr, IDC_SIZENS);

    for (const bool stacked : {false, true}) {
        SCOPED_TRACE(stacked ? "stacked" : "side by side");
        settings_.setSplitHorizontally(stacked);
        const MainLayout& layout = main.mainLayout();
        const int x0 = layout.kindsWidth() + gap;
        // The list splitter's middle, and the far end and the limit in the drag direction.
        const auto splitterAt = [&] {
            return stacked ? POINT{x0 + 100, top + layout.listSize() + gap / 2}
                           : POINT{x0 + layout.listSize() + gap / 2, top + 100};
        };
        const int limit = stacked ? client.bottom - top - 140 : client.right - x0 - 200;

        POINT grab = splitterAt();
        grab = moveMouse(main, grab.x, grab.y);
        EXPECT_EQ(GetCursor(), stacked ? northSouth : westEast) << "the sizing arrow shows";
        pressAndPump(main, MOUSEEVENTF_LEFTDOWN);
        ASSERT_TRUE(layout.dragging());
        EXPECT_EQ(GetCapture(), window);
        // Far past the limit, beyond the window's edge.
        if (stacked) {
            moveMouse(main, grab.x, client.bottom + 150);
        } else {
            moveMouse(main, client.right + 150, grab.y);
        }
        pressAndPump(main, MOUSEEVENTF_LEFTUP);
        EXPECT_FALSE(layout.dragging());
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_EQ(layout.listSize(), limit) << "the pane stops at its limit";

        // Grabbed again where it is drawn now, and moved back by 50 pixels.
        const POINT drawn = splitterAt();
        const POINT regrab = moveMouse(main, drawn.x, drawn.y);
        pressAndPump(main, MOUSEEVENTF_LEFTDOWN);
        ASSERT_TRUE(layout.dragging()) << "the splitter answers where it is drawn";
        const POINT back = stacked ? moveMouse(main, regrab.x, regrab.y - 50)
                                   : moveMouse(main, regrab.x - 50, regrab.y);
        pressAndPump(main, MOUSEEVENTF_LEFTUP);
        const int moved = stacked ? back.y - regrab.y : back.x - regrab.x;
        EXPECT_EQ(layout.listSize(), limit + moved);
        EXPECT_LT(layout.listSize(), limit);
    }
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowLayoutTest, AWindowTakingTheMouseMidDragEndsTheDrag) {
    MainWindow main(settings_);
    open(main);
    const HWND window = main.window();
    settings_.setShowFileKindStatistics(false);
    settings_.setSplitHorizontally(false);
    SetWindowPos(window, HWND_TOP, 0, 0, 1000, 700, SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    const MainLayout& layout = main.mainLayout();
    const int before = layout.listSize();
    const POINT grab = moveMouse(main, before + 3, 142);
    pressAndPump(main, MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(layout.dragging());

    // A dialog appears and takes the mouse, as a message box would.
    const HWND dialog =
        CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"dialog", WS_POPUP | WS_VISIBLE, 600, 400, 100,
                        60, window, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(dialog, nullptr);
    SetCapture(dialog);
    pumpPending(main);
    EXPECT_FALSE(layout.dragging()) << "losing the capture ends the drag";

    moveMouse(main, grab.x + 120, grab.y);
    pressAndPump(main, MOUSEEVENTF_LEFTUP);
    ReleaseCapture();
    DestroyWindow(dialog);
    moveMouse(main, grab.x + 200, grab.y);
    EXPECT_EQ(layout.listSize(), before) << "the splitter does not follow the mouse";
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

}  // namespace
}  // namespace app
