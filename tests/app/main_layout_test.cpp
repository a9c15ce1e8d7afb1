#include "app/main_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace app {
namespace {

LayoutRequest content(int width, int height, bool showKinds, bool stacked, int dpi = 96) {
    LayoutRequest request;
    request.clientWidth = width;
    request.clientHeight = height;
    request.dpi = dpi;
    request.welcomeShown = false;
    request.showKinds = showKinds;
    request.splitHorizontally = stacked;
    return request;
}

bool overlap(const PanePlace& a, const PanePlace& b) {
    if (!a.shown || !b.shown || a.rect.width == 0 || a.rect.height == 0 || b.rect.width == 0 ||
        b.rect.height == 0) {
        return false;
    }
    return a.rect.x < b.rect.right() && b.rect.x < a.rect.right() && a.rect.y < b.rect.bottom() &&
           b.rect.y < a.rect.bottom();
}

TEST(MainLayout, ScalesLikeTheSystemRoundingHalfAwayFromZero) {
    EXPECT_EQ(scaledLength(42, 0), 42);
    EXPECT_EQ(scaledLength(42, 144), 63);
    EXPECT_EQ(scaledLength(1, 144), 2);  // 1.5 rounds up
    EXPECT_EQ(scaledLength(-1, 144), -2);
    EXPECT_EQ(scaledLength(26, 120), 33);  // 32.5
}

TEST(MainLayout, EveryWindowSizeKeepsTheMinimumsWithoutOverlap) {
    const std::vector<std::pair<int, int>> sizes = {
        {200, 100}, {420, 300}, {540, 360}, {700, 400}, {1000, 700}, {1600, 1000}, {3000, 2000}};
    for (const int dpi : {96, 144}) {
        for (const auto& [width, height] : sizes) {
            for (const bool showKinds : {true, false}) {
                for (const bool stacked : {false, true}) {
                    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + " dpi " +
                                 std::to_string(dpi) + (showKinds ? " kinds" : "") +
                                 (stacked ? " stacked" : " side by side"));
                    MainLayout layout;
                    const LayoutRequest request = content(width, height, showKinds, stacked, dpi);
                    const MainLayoutResult r = layout.layout(request);
                    const int top = scaledLength(42, dpi);
                    const int gap = scaledLength(6, dpi);
                    const int contentHeight = height - top;
                    EXPECT_FALSE(r.welcome.shown);
                    EXPECT_FALSE(r.pending.shown);
                    ASSERT_TRUE(r.list.shown);
                    ASSERT_TRUE(r.treemap.shown);
                    EXPECT_EQ(r.kinds.shown, showKinds);

                    int x0 = 0;
                    if (showKinds) {
                        EXPECT_EQ(r.kinds.rect.x, 0);
                        EXPECT_EQ(r.kinds.rect.y, top);
                        EXPECT_GE(r.kinds.rect.width, scaledLength(140, dpi));
                        EXPECT_EQ(r.kinds.rect.width, layout.kindsWidth());
                        if (width - scaledLength(400, dpi) >= scaledLength(140, dpi)) {
                            EXPECT_LE(r.kinds.rect.width, width - scaledLength(400, dpi));
                        }
                        x0 = r.kinds.rect.right() + gap;
                    }
                    EXPECT_EQ(r.list.rect.x, x0);
                    EXPECT_EQ(r.list.rect.y, top);
                    EXPECT_GE(r.treemap.rect.width, 0);
                    EXPECT_GE(r.treemap.rect.height, 0);
                    if (stacked) {
                        EXPECT_GE(r.list.rect.height, scaledLength(120, dpi));
                        EXPECT_EQ(r.list.rect.height, layout.listSize());
                        EXPECT_EQ(r.treemap.rect.x, x0);
                        EXPECT_EQ(r.treemap.rect.y, r.list.rect.bottom() + gap);
                        EXPECT_EQ(r.list.rect.width, std::max(0, width - x0));
                        EXPECT_EQ(r.treemap.rect.width, std::max(0, width - x0));
                        if (r.treemap.rect.height > 0) {
                            EXPECT_EQ(r.treemap.rect.bottom(), height);
                        }
                    } else {
                        EXPECT_GE(r.list.rect.width, scaledLength(200, dpi));
                        EXPECT_EQ(r.list.rect.width, layout.listSize());
                        EXPECT_EQ(r.treemap.rect.x, r.list.rect.right() + gap);
                        EXPECT_EQ(r.list.rect.height, contentHeight);
                        EXPECT_EQ(r.treemap.rect.height, contentHeight);
                        if (r.treemap.rect.width > 0) {
                            EXPECT_EQ(r.treemap.rect.right(), width);
                        }
                    }
                    EXPECT_FALSE(overlap(r.kinds, r.list));
                    EXPECT_FALSE(overlap(r.kinds, r.treemap));
                    EXPECT_FALSE(overlap(r.list, r.treemap));
                }
            }
        }
    }
}

TEST(MainLayout, PlacesEachPieceAtItsMetrics) {
    struct Case {
        const char* name;
        LayoutRequest request;
        PaneRect kinds, list, treemap, pending;
    };
    LayoutRequest pending = content(1200, 700, true, false);
    pending.pendingShown = true;
    LayoutRequest narrowPending = content(600, 700, false, true);
    narrowPending.pendingShown = true;
    const Case cases[] = {
        {"side by side",
         content(1000, 700, true, false),
         {0, 42, 300, 658},
         {306, 42, 360, 658},
         {672, 42, 328, 658},
         {}},
        {"stacked",
         content(1000, 700, true, true),
         {0, 42, 300, 658},
         {306, 42, 694, 360},
         {306, 408, 694, 292},
         {}},
        {"no kinds",
         content(1000, 700, false, false),
         {},
         {0, 42, 360, 658},
         {366, 42, 634, 658},
         {}},
        // The treemap is squeezed to nothing before a pane gives up its minimum.
        {"too narrow",
         content(300, 400, true, false),
         {0, 42, 140, 358},
         {146, 42, 200, 358},
         {352, 42, 0, 358},
         {}},
        {"pending at most 320",
         pending,
         {0, 42, 300, 658},
         {306, 42, 360, 658},
         {672, 42, 208, 658},
         {880, 42, 320, 658}},
        {"pending at most a third",
         narrowPending,
         {},
         {0, 42, 400, 360},
         {0, 408, 400, 292},
         {400, 42, 200, 658}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainLayout layout;
        const MainLayoutResult r = layout.layout(c.request);
        if (c.request.showKinds) {
            EXPECT_EQ(r.kinds.rect, c.kinds);
        }
        EXPECT_EQ(r.list.rect, c.list);
        EXPECT_EQ(r.treemap.rect, c.treemap);
        EXPECT_EQ(r.pending.shown, c.request.pendingShown);
        if (c.request.pendingShown) {
            EXPECT_EQ(r.pending.rect, c.pending);
        }
    }
}

TEST(MainLayout, ToolbarAndStatusFollowTheWidthAndDpi) {
    MainLayout layout;
    MainLayoutResult r = layout.layout(content(1000, 700, true, false));
    EXPECT_EQ(r.toolbar.open, (PaneRect{10, 8, 74, 26}));
    EXPECT_EQ(r.toolbar.measureBox, (PaneRect{94, 8, 210, 240}));
    EXPECT_EQ(r.toolbar.refresh, (PaneRect{908, 8, 82, 26}));
    EXPECT_EQ(r.toolbar.stop, (PaneRect{832, 8, 68, 26}));
    EXPECT_EQ(r.toolbar.zoomOut, (PaneRect{732, 8, 92, 26}));
    EXPECT_EQ(r.status.left, 318);
    EXPECT_EQ(r.status.right, 722);
    EXPECT_EQ(r.status.bottom, 41);
    EXPECT_TRUE(r.status.drawn());

    r = layout.layout(content(1000, 700, true, false, 144));
    EXPECT_EQ(r.metrics.toolbarHeight, 63);
    EXPECT_EQ(r.toolbar.open, (PaneRect{15, 12, 111, 39}));
    EXPECT_EQ(r.toolbar.measureBox.x, 15 + 126);
    EXPECT_EQ(r.toolbar.refresh.right(), 1000 - 15);
    EXPECT_EQ(r.list.rect.y, 63);
    // The dragged sizes are physical pixels: a new DPI does not rescale them.
    EXPECT_EQ(layout.kindsWidth(), 300);

    // The status line disappears once "Zoom Out" reaches the measure box.
    r = layout.layout(content(450, 700, true, false));
    EXPECT_FALSE(r.status.drawn());
}

TEST(MainLayout, WelcomeViewTakesTheContentAndHasNoSplitters) {
    MainLayout layout;
    LayoutRequest request = content(1000, 700, true, false);
    request.welcomeShown = true;
    request.pendingShown = true;
    const MainLayoutResult r = layout.layout(request);
    EXPECT_TRUE(r.welcome.shown);
    EXPECT_EQ(r.welcome.rect, (PaneRect{0, 42, 1000, 658}));
    EXPECT_FALSE(r.kinds.shown);
    EXPECT_FALSE(r.list.shown);
    EXPECT_FALSE(r.treemap.shown);
    EXPECT_FALSE(r.pending.shown);
    for (int x = 0; x < 1000; ++x) {
        for (const int y : {0, 50, 300, 401, 699}) {
            ASSERT_EQ(layout.hitSplitter(x, y), Splitter::None) << x << "," << y;
            ASSERT_EQ(layout.cursorAt(x, y), SplitterCursor::None);
        }
    }
    EXPECT_FALSE(layout.beginDrag(300, 300));
}

TEST(MainLayout, SplittersAreHitExactlyOnTheirGaps) {
    MainLayout side;
    side.layout(content(1000, 700, true, false));
    MainLayout stacked;
    stacked.layout(content(1000, 700, true, true));
    MainLayout noKinds;
    noKinds.layout(content(1000, 700, false, false));
    struct Case {
        const MainLayout* layout;
        int x, y;
        Splitter expected;
        SplitterCursor cursor;
    };
    const Case cases[] = {
        {&side, 299, 300, Splitter::None, SplitterCursor::None},
        {&side, 300, 300, Splitter::Kinds, SplitterCursor::SizeWestEast},
        {&side, 305, 300, Splitter::Kinds, SplitterCursor::SizeWestEast},
        {&side, 306, 300, Splitter::None, SplitterCursor::None},
        {&side, 300, 41, Splitter::None, SplitterCursor::None},  // the toolbar band
        {&side, 666, 42, Splitter::List, SplitterCursor::SizeWestEast},
        {&side, 671, 699, Splitter::List, SplitterCursor::SizeWestEast},
        {&side, 672, 300, Splitter::None, SplitterCursor::None},
        {&stacked, 302, 500, Splitter::Kinds, SplitterCursor::SizeWestEast},
        {&stacked, 306, 402, Splitter::List, SplitterCursor::SizeNorthSouth},
        {&stacked, 999, 407, Splitter::List, SplitterCursor::SizeNorthSouth},
        {&stacked, 500, 408, Splitter::None, SplitterCursor::None},
        {&stacked, 200, 404, Splitter::None, SplitterCursor::None},  // over the kinds pane
        {&noKinds, 300, 300, Splitter::None, SplitterCursor::None},
        {&noKinds, 360, 300, Splitter::List, SplitterCursor::SizeWestEast},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(c.layout->hitSplitter(c.x, c.y), c.expected);
        EXPECT_EQ(c.layout->cursorAt(c.x, c.y), c.cursor);
    }
    EXPECT_EQ(MainLayout().hitSplitter(300, 300), Splitter::None);
}

// Drags a splitter from where it is drawn by `distance` along its axis, lays out, and lets go.
MainLayoutResult drag(MainLayout& layout, const LayoutRequest& request, int x, int y, int dx,
                      int dy) {
    EXPECT_TRUE(layout.beginDrag(x, y));
    EXPECT_TRUE(layout.dragTo(x + dx, y + dy));
    const MainLayoutResult r = layout.layout(request);
    EXPECT_TRUE(layout.endDrag());
    return r;
}

TEST(MainLayout, ASplitterDraggedPastItsLimitIsGrabbedAgainWhereItIsDrawn) {
    for (const bool stacked : {false, true}) {
        SCOPED_TRACE(stacked ? "stacked" : "side by side");
        const LayoutRequest request = content(1000, 700, true, stacked);
        MainLayout layout;
        MainLayoutResult r = layout.layout(request);
        auto splitterAt = [&](const MainLayoutResult& now) {
            return stacked ? std::pair{now.list.rect.x + 50, now.list.rect.bottom()}
                           : std::pair{now.list.rect.right(), 300};
        };

        for (const int far : {5000, -5000}) {
            const auto [x, y] = splitterAt(r);
            r = drag(layout, request, x, y, stacked ? 0 : far, stacked ? far : 0);
            const int limit = far > 0 ? (stacked ? 658 - 140 : 694 - 200) : (stacked ? 120 : 200);
            EXPECT_EQ(layout.listSize(), limit);
            EXPECT_EQ(stacked ? r.list.rect.height : r.list.rect.width, limit);

            // Grabbed where it is drawn now, it follows the mouse again at once.
            const auto [nx, ny] = splitterAt(r);
            ASSERT_EQ(layout.hitSplitter(nx, ny), Splitter::List);
            const int back = far > 0 ? -30 : 30;
            r = drag(layout, request, nx, ny, stacked ? 0 : back, stacked ? back : 0);
            EXPECT_EQ(layout.listSize(), limit + back);
        }

        // The kinds splitter, dragged off the left edge, stops at its minimum.
        r = drag(layout, request, r.kinds.rect.right(), 300, -5000, 0);
        EXPECT_EQ(layout.kindsWidth(), 140);
        EXPECT_EQ(layout.hitSplitter(140, 300), Splitter::Kinds);
    }
}

TEST(MainLayout, LosingTheCaptureEndsTheDrag) {
    const LayoutRequest request = content(1000, 700, true, false);
    MainLayout layout;
    layout.layout(request);
    ASSERT_TRUE(layout.beginDrag(668, 300));
    EXPECT_TRUE(layout.dragTo(700, 300));
    EXPECT_TRUE(layout.endDrag());  // capture taken by a dialog
    EXPECT_FALSE(layout.dragging());
    EXPECT_FALSE(layout.dragTo(900, 300));
    layout.layout(request);
    EXPECT_EQ(layout.listSize(), 392);
    EXPECT_FALSE(layout.endDrag());
    EXPECT_FALSE(layout.beginDrag(500, 300));
}

// The sizes the user chose survive every size the window passes through: only the placing is
// clamped, so the panes come back when the window does.
TEST(MainLayout, TheChosenWidthsComeBackWhenTheWindowGrowsAgain) {
    struct Step {
        int width;
        int height;
        int dragKindsBy = 0;  // a drag of the kinds splitter, in this window
        int dragListBy = 0;   // a drag of the list splitter, in this window
    };
    struct Case {
        const char* name;
        bool stacked;
        std::vector<Step> steps;
        int kinds;  // as placed after the last step
        int list;
    };
    const Case cases[] = {
        {"minimised and restored", false, {{1000, 700}, {0, 0}, {1000, 700}}, 300, 360},
        {"minimised and restored, stacked", true, {{1000, 700}, {0, 0}, {1000, 700}}, 300, 360},
        {"shrunk and grown", false, {{1000, 700}, {500, 300}, {1000, 700}}, 300, 360},
        {"shrunk and grown, stacked", true, {{1000, 700}, {500, 250}, {1000, 700}}, 300, 360},
        {"a narrow start", false, {{330, 400}, {1000, 700}}, 300, 360},
        {"dragged, then shrunk and grown",
         false,
         {{1000, 700, 40, -60}, {600, 400}, {1000, 700}},
         340,
         300},
        // Dropped past its limit, a splitter stays where it stopped, not where the mouse went.
        {"dragged past the limit, then grown",
         false,
         {{1000, 700, 0, 900}, {1400, 700}},
         300,
         1000 - 306 - 200},
        {"dragged in a small window", false, {{700, 500, -100, 0}, {1000, 700}}, 200, 360},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainLayout layout;
        MainLayoutResult r;
        for (const Step& step : c.steps) {
            const LayoutRequest request = content(step.width, step.height, true, c.stacked);
            r = layout.layout(request);
            if (step.dragKindsBy != 0) {
                r = drag(layout, request, r.kinds.rect.right(), 300, step.dragKindsBy, 0);
            }
            if (step.dragListBy != 0) {
                const bool down = c.stacked;
                const int x = down ? r.list.rect.x + 20 : r.list.rect.right();
                const int y = down ? r.list.rect.bottom() : 300;
                r = drag(layout, request, x, y, down ? 0 : step.dragListBy,
                         down ? step.dragListBy : 0);
            }
        }
        EXPECT_EQ(r.kinds.rect.width, c.kinds);
        EXPECT_EQ(c.stacked ? r.list.rect.height : r.list.rect.width, c.list);
        EXPECT_EQ(layout.kindsWidth(), c.kinds);
        EXPECT_EQ(layout.listSize(), c.list);
    }
}

// Hidden buttons leave their room to the status line.
TEST(MainLayout, TheStatusLineRunsToTheLeftmostButtonShown) {
    MainLayout layout;
    const Toolbar bar = layout.layout(content(1000, 700, true, false)).toolbar;
    struct Case {
        const char* name;
        std::vector<PaneRect> shown;
        int right;
    };
    const Case cases[] = {
        {"all three", {bar.zoomOut, bar.stop, bar.refresh}, 722},
        {"no Zoom Out", {bar.stop, bar.refresh}, 822},
        {"no Zoom Out, no Stop", {bar.refresh}, 898},
        {"Zoom Out without Stop", {bar.refresh, bar.zoomOut}, 722},
        {"none", {}, 990},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const StatusArea area = statusAreaOf(bar.measureBox, c.shown, 1000, 96);
        EXPECT_EQ(area.left, 318);
        EXPECT_EQ(area.right, c.right);
        EXPECT_EQ(area.bottom, 41);
    }
}

// At its smallest, the window keeps the toolbar's pieces apart with a status line between them,
// and every pane at its minimum beside a treemap.
TEST(MainLayout, TheSmallestWindowStillFitsEverything) {
    for (const int dpi : {96, 120, 144}) {
        SCOPED_TRACE(dpi);
        const ClientSize smallest = minimumClientSize(dpi);
        for (const bool stacked : {false, true}) {
            MainLayout layout;
            const MainLayoutResult r =
                layout.layout(content(smallest.width, smallest.height, true, stacked, dpi));
            const Toolbar& bar = r.toolbar;
            EXPECT_LE(bar.open.right(), bar.measureBox.x);
            EXPECT_GE(r.status.right - r.status.left, scaledLength(160, dpi));
            EXPECT_LE(bar.measureBox.right(), r.status.left);
            EXPECT_LE(r.status.right, bar.zoomOut.x);
            EXPECT_LT(bar.zoomOut.right(), bar.stop.x);
            EXPECT_LT(bar.stop.right(), bar.refresh.x);
            EXPECT_GE(r.kinds.rect.width, scaledLength(140, dpi));
            if (stacked) {
                EXPECT_GE(r.list.rect.height, scaledLength(120, dpi));
                EXPECT_GE(r.treemap.rect.height, scaledLength(140, dpi) - scaledLength(6, dpi));
            } else {
                EXPECT_GE(r.list.rect.width, scaledLength(200, dpi));
                EXPECT_GE(r.treemap.rect.width, scaledLength(200, dpi) - scaledLength(6, dpi));
            }
        }
    }
    EXPECT_EQ(minimumClientSize(96).width, 756);
    EXPECT_EQ(minimumClientSize(96).height, 302);
}

}  // namespace
}  // namespace app
