#include "treemap/build_delivery.h"
#include "treemap/present_image_win32.h"
#include "treemap/treemap_build.h"

#include "test_tree.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace treemap {
namespace {

// A message-only window: it receives posted messages without being shown anywhere.
class MessageWindow {
  public:
    MessageWindow()
        : window_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr)) {}
    ~MessageWindow() {
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
    }
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    HWND handle() const { return window_; }

  private:
    HWND window_;
};

TEST(TreemapBuildWin32, AFinishedBuildIsPostedToTheViewWindow) {
    MessageWindow window;
    ASSERT_NE(window.handle(), nullptr);
    testing::TreeBuilder tree;
    tree.addChildren(0, {testing::file(10, 5), testing::file(20, 6)});
    TreemapJob job;
    job.store = tree.finish();
    job.width = 50;
    job.height = 40;
    job.colours = KindColours();
    job.generation = 77;
    job.window = reinterpret_cast<std::uintptr_t>(window.handle());
    startTreemapBuild(std::move(job));

    MSG message{};
    while (GetMessageW(&message, window.handle(), 0, 0) > 0 &&
           message.message != kBuildResultMessage) {
        DispatchMessageW(&message);
    }
    ASSERT_EQ(message.message, kBuildResultMessage);
    EXPECT_EQ(message.wParam, 77u);
    std::unique_ptr<BuildResult> result(reinterpret_cast<BuildResult*>(message.lParam));
    ASSERT_NE(result->image, nullptr);
    EXPECT_EQ(result->image->width, 50);
    EXPECT_EQ(result->image->items.size(), 3u);
}

// A bitmap the test can read back after presentImage drew into it.
class DibTarget {
  public:
    DibTarget(int width, int height) : dc_(CreateCompatibleDC(nullptr)), width_(width) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
    }
    ~DibTarget() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    DibTarget(const DibTarget&) = delete;
    DibTarget& operator=(const DibTarget&) = delete;

    HDC dc() const { return dc_; }
    std::uint32_t at(int x, int y) const {
        GdiFlush();
        return static_cast<const std::uint32_t*>(bits_)[y * width_ + x] & 0xFFFFFF;
    }

  private:
    HDC dc_;
    int width_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
};

TEST(PresentImage, StretchesThePictureWithoutSmoothingAndKeepsTheStretchMode) {
    // 2 x 2 picture, top row first: red, green / blue, white.
    const std::uint32_t pixels[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    DibTarget target(8, 6);
    SetStretchBltMode(target.dc(), HALFTONE);
    presentImage(target.dc(), pixels, 2, 2, RECT{2, 2, 8, 6});

    EXPECT_EQ(GetStretchBltMode(target.dc()), HALFTONE);
    EXPECT_EQ(target.at(2, 2), 0xFF0000u);
    EXPECT_EQ(target.at(4, 3), 0xFF0000u) << "no blending at the seam";
    EXPECT_EQ(target.at(5, 3), 0x00FF00u);
    EXPECT_EQ(target.at(7, 5), 0xFFFFFFu);
    EXPECT_EQ(target.at(2, 5), 0x0000FFu);
    EXPECT_EQ(target.at(0, 0), 0u) << "nothing outside the destination";
}

}  // namespace
}  // namespace treemap
