// The treemap view's window with real builds: pictures arrive as posted messages from real build
// threads, and the view accepts only the newest, however the requests and stores interleave.

#include "treemap/treemap_view_win32.h"

#include "test_tree.h"
#include "window_harness.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

namespace treemap {
namespace {

using testing::file;
using testing::folder;
using testing::TreeBuilder;

// A store of `folders` folders of `files` files each, with sizes that differ.
std::shared_ptr<scan::NodeStore> storeOf(int folders, int files) {
    TreeBuilder tree;
    const scan::NodeId first = tree.addChildren(
        0, std::vector<testing::ChildRow>(static_cast<std::size_t>(folders), folder()));
    for (int f = 0; f < folders; ++f) {
        std::vector<testing::ChildRow> rows;
        for (int i = 0; i < files; ++i) {
            rows.push_back(file(static_cast<std::uint64_t>(1000 + 37 * i + 501 * f),
                                static_cast<scan::FileKind>(4 + i % 7)));
        }
        tree.addChildren(static_cast<scan::NodeId>(first + static_cast<scan::NodeId>(f)), rows);
    }
    return tree.finish();
}

LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

class TreemapViewWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        WNDCLASSEXW view{};
        view.cbSize = sizeof(view);
        view.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        view.lpfnWndProc = &TreemapView::windowProcedure;
        view.hInstance = GetModuleHandleW(nullptr);
        view.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        view.lpszClassName = kTreemapViewClass;
        RegisterClassExW(&view);
        WNDCLASSEXW host = view;
        host.lpfnWndProc = &hostProcedure;
        host.lpszClassName = L"RozovizovTreemapHost";
        RegisterClassExW(&host);
    }

    void SetUp() override {
        host_ = CreateWindowExW(0, L"RozovizovTreemapHost", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 700,
                                500, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(host_, nullptr);
        ASSERT_TRUE(view_.create(host_, 312));
        view_.setColours(&colours_);
    }
    void TearDown() override {
        // Builds still running end in a message to a window that is gone, and are freed there.
        DestroyWindow(host_);
        harness::pumpPending();
    }

    void resize(int width, int height) { MoveWindow(view_.window(), 0, 0, width, height, TRUE); }
    bool pumpUntilIdle() {
        return harness::pumpUntil(
            [this] { return !view_.schedule().building() && !view_.schedule().buildPending(); });
    }

    KindColours colours_;
    HWND host_ = nullptr;
    TreemapView view_;
};

TEST_F(TreemapViewWindowTest, APictureOfThePreviousStoreIsDroppedWhenItArrivesLate) {
    const auto first = storeOf(5, 40);
    view_.setStore(first);
    resize(300, 200);
    ASSERT_TRUE(view_.schedule().building()) << "a resize with a store starts a build";
    const std::uint32_t before = view_.schedule().generation();

    // The new store comes while the first store's build runs; its message is still unhandled.
    const auto second = storeOf(2, 3);
    view_.setStore(second);
    EXPECT_NE(view_.schedule().generation(), before) << "the running build is stale at once";
    ASSERT_TRUE(pumpUntilIdle());
    EXPECT_EQ(view_.model().picture(), nullptr) << "the late picture names the old store's rows";

    view_.requestPicture();
    ASSERT_TRUE(pumpUntilIdle());
    ASSERT_NE(view_.model().picture(), nullptr);
    for (const TreemapItem& item : view_.model().picture()->items) {
        EXPECT_LT(static_cast<std::uint64_t>(item.node), second->publishedCount());
    }
}

TEST_F(TreemapViewWindowTest, ARequestDuringABuildIsServedAtTheNewSizeAfterIt) {
    view_.setStore(storeOf(8, 60));
    resize(200, 150);
    const std::uint32_t first = view_.schedule().generation();
    ASSERT_TRUE(view_.schedule().building());
    resize(400, 300);
    resize(420, 310);
    EXPECT_TRUE(view_.schedule().buildPending()) << "one build at a time";
    EXPECT_EQ(view_.schedule().generation(), first) << "no second thread was started";

    ASSERT_TRUE(pumpUntilIdle());
    const TreemapImage* picture = view_.model().picture();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width, 420);
    EXPECT_EQ(picture->height, 310);
    EXPECT_EQ(view_.schedule().generation(), first + 1) << "both requests, one build";

    // The accepted builds' times steer the interval between rebuilds during a scan.
    const BuildSchedule& schedule = view_.schedule();
    EXPECT_GT(schedule.averageBuildSeconds(), 0.0);
    const double expected = schedule.averageBuildSeconds() > 0.85 * kShortestRebuildInterval
                                ? std::min(1.0, schedule.averageBuildSeconds() / 0.65)
                                : kShortestRebuildInterval;
    EXPECT_DOUBLE_EQ(schedule.minRebuildInterval(), expected);
}

TEST_F(TreemapViewWindowTest, ThePictureIsPaintedWithTheHoverAndSelectionFrames) {
    const auto store = storeOf(3, 4);
    view_.setStore(store);
    ShowWindow(host_, SW_SHOWNA);
    resize(300, 200);
    ASSERT_TRUE(pumpUntilIdle());
    const TreemapImage& picture = *view_.model().picture();

    // Hover the largest drawn file and select its folder.
    const TreemapItem* hovered = nullptr;
    for (const TreemapItem& item : picture.items) {
        if (item.drawn && item.node > 0 &&
            (hovered == nullptr || item.rect.area() > hovered->rect.area())) {
            hovered = &item;
        }
    }
    ASSERT_NE(hovered, nullptr);
    const int x = static_cast<int>(hovered->rect.x + hovered->rect.w / 2);
    const int y = static_cast<int>(hovered->rect.y + hovered->rect.h / 2);
    SendMessageW(view_.window(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    const std::int32_t folderNode =
        static_cast<std::int32_t>(store->parent.get(static_cast<scan::NodeId>(hovered->node)));
    view_.setSelectedNode(folderNode);
    UpdateWindow(view_.window());

    const HDC dc = GetDC(view_.window());
    const auto pixel = [dc](int px, int py) { return GetPixel(dc, px, py) & 0xFFFFFF; };
    const PixelRect hover = *view_.model().hoverFrame();
    EXPECT_EQ(pixel(hover.left, (hover.top + hover.bottom) / 2), 0xFFFFFFu);
    const SelectionFrame selection = *view_.model().selectionFrame();
    EXPECT_EQ(pixel((selection.outer.left + selection.outer.right) / 2, selection.outer.top + 1),
              0xFFFFFFu);
    ASSERT_TRUE(selection.inner.has_value());
    EXPECT_EQ(pixel((selection.inner->left + selection.inner->right) / 2, selection.inner->top),
              static_cast<COLORREF>(RGB(20, 20, 20)));
    // Inside the frames the picture shows through, as built.
    const std::uint32_t built = picture.pixels[static_cast<std::size_t>(y * picture.width + x)];
    EXPECT_EQ(pixel(x, y), RGB((built >> 16) & 0xFF, (built >> 8) & 0xFF, built & 0xFF));
    ReleaseDC(view_.window(), dc);
}

}  // namespace
}  // namespace treemap
