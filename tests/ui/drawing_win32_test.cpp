// The drawing kit on real windows and device contexts: DPI scaling, fonts, the back buffer,
// labels and frames.

#include "ui/drawing_win32.h"
#include "ui/scaling.h"
#include "ui/theme_win32.h"

#include "window_harness.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace ui {
namespace {

class TestWindow {
  public:
    TestWindow()
        : window_(CreateWindowExW(0, L"STATIC", L"drawing test", WS_OVERLAPPEDWINDOW, 0, 0, 300,
                                  200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
    ~TestWindow() {
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND get() const { return window_; }

  private:
    HWND window_;
};

// A 32-bit top-down bitmap selected into a memory DC, whose pixels a test reads directly.
class PixelCanvas {
  public:
    PixelCanvas(int width, int height) : width_(width) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels_ = static_cast<std::uint32_t*>(bits);
        replaced_ = SelectObject(dc_, bitmap_);
    }
    ~PixelCanvas() {
        SelectObject(dc_, replaced_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    HDC dc() const { return dc_; }
    // As a GDI colour (0x00BBGGRR), like the palette's.
    std::uint32_t at(int x, int y) {
        GdiFlush();
        const std::uint32_t pixel = pixels_[y * width_ + x];
        return ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
    }
    void fill(std::uint32_t colour) {
        const RECT all{0, 0, width_, 1 << 16};
        FillRect(dc_, &all, brushFor(colour));
    }

  private:
    int width_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ replaced_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
};

LOGFONTW describe(HFONT font) {
    LOGFONTW described{};
    GetObjectW(font, sizeof(described), &described);
    return described;
}

TEST(Drawing, MulDivRoundsExactlyAsThePlatform) {
    const int values[] = {0,
                          1,
                          2,
                          3,
                          7,
                          42,
                          47,
                          48,
                          49,
                          95,
                          96,
                          97,
                          -1,
                          -2,
                          -3,
                          -47,
                          -48,
                          -49,
                          1'000'000,
                          2'147'483'647,
                          -2'147'483'647};
    const int numerators[] = {96, 120, 144, 168, 192, 1, -144};
    const int denominators[] = {96, 72, 2, -2, 1};
    for (const int value : values) {
        for (const int numerator : numerators) {
            for (const int denominator : denominators) {
                SCOPED_TRACE(testing::Message()
                             << value << " * " << numerator << " / " << denominator);
                EXPECT_EQ(mulDiv(value, numerator, denominator),
                          MulDiv(value, numerator, denominator));
            }
        }
    }
}

TEST(Drawing, LengthsAndFontsAtTheWindowsDpi) {
    TestWindow window;
    ASSERT_NE(window.get(), nullptr);
    // The prefix runs at 96 DPI; the 144 DPI case runs in a process of its own below.
    EXPECT_EQ(windowDpi(window.get()), 96);
    EXPECT_EQ(scaled(window.get(), 42), 42);
    EXPECT_EQ(scaled(nullptr, 42), 42);

    const HFONT regular = uiFont(window.get(), FontStyle::Regular);
    ASSERT_NE(regular, nullptr);
    EXPECT_EQ(uiFont(window.get(), FontStyle::Regular), regular) << "cached";
    EXPECT_EQ(uiFont(window.get(), FontStyle::Default), regular) << "same size and weight";
    EXPECT_EQ(uiFont(nullptr, FontStyle::Regular), regular) << "no window means 96 DPI";
    EXPECT_NE(uiFont(window.get(), FontStyle::Small), regular);
    const LOGFONTW font = describe(regular);
    EXPECT_EQ(font.lfHeight, -12);
    EXPECT_EQ(font.lfWeight, 400);
    EXPECT_EQ(font.lfQuality, CLEARTYPE_QUALITY);
    EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"Segoe UI");
    const LOGFONTW title = describe(uiFont(window.get(), FontStyle::Title));
    EXPECT_EQ(title.lfHeight, -21);
    EXPECT_EQ(title.lfWeight, 600);

    // A handle that is gone answers DPI 0, which counts as 96.
    const HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    DestroyWindow(gone);
    EXPECT_EQ(scaled(gone, 42), 42);
}

// Runs only inside the child process that the next test starts at 144 DPI.
TEST(DpiChild, LengthsAndFontsFollowTheWindow) {
    wchar_t expected[8] = {};
    if (GetEnvironmentVariableW(L"ROZOVIZOV_TEST_CHILD_DPI", expected, 8) == 0) {
        GTEST_SKIP() << "runs in a child process started by LengthsAndFontsAt144Dpi";
    }
    // As the program's manifest declares; refused when the awareness is already set, which the
    // DPI check below then shows.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    TestWindow window;
    ASSERT_NE(window.get(), nullptr);
    ASSERT_EQ(windowDpi(window.get()), std::wcstol(expected, nullptr, 10));
    EXPECT_EQ(scaled(window.get(), 42), 63);
    EXPECT_EQ(scaled(window.get(), 26), 39);
    EXPECT_EQ(scaled(nullptr, 42), 42);
    EXPECT_EQ(describe(uiFont(window.get(), FontStyle::Regular)).lfHeight, -18);
    EXPECT_EQ(describe(uiFont(window.get(), FontStyle::Title)).lfHeight, -32);
    // Fonts for both DPIs stay cached side by side, as after a move to another monitor.
    EXPECT_NE(uiFont(window.get(), FontStyle::Regular), uiFontAt(96, FontStyle::Regular));
    EXPECT_EQ(describe(uiFontAt(96, FontStyle::Regular)).lfHeight, -12);
}

TEST(Drawing, LengthsAndFontsAt144Dpi) {
    // Wine takes the system DPI from the user's LogPixels when a process starts.
    harness::SavedRegistryValue dpi(L"Control Panel\\Desktop", L"LogPixels");
    dpi.setDword(144);
    harness::ScopedEnvironment child(L"ROZOVIZOV_TEST_CHILD_DPI", L"144");
    harness::ChildProcess process(harness::thisProgram(), {L"--gtest_filter=DpiChild.*"});
    ASSERT_TRUE(process.started());
    EXPECT_EQ(process.waitForExit(), std::optional<DWORD>(0))
        << "the child's own output above says which expectation failed";
}

TEST(Drawing, TheBackBufferIsReusedUntilItsSizeChanges) {
    PixelCanvas target(60, 40);
    BackBuffer buffer;
    const HDC first = buffer.prepare(target.dc(), 50, 40);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(buffer.prepare(target.dc(), 50, 40), first);
    EXPECT_EQ(buffer.prepare(target.dc(), 0, 40), nullptr);
    EXPECT_EQ(buffer.prepare(target.dc(), 50, -1), nullptr);
    EXPECT_EQ(buffer.width(), 50) << "a size that cannot be painted keeps the buffer";
    EXPECT_EQ(buffer.prepare(target.dc(), 50, 40), first);

    const RECT all{0, 0, 50, 40};
    FillRect(first, &all, brushFor(0x0000FF));
    target.fill(0xFF0000);
    buffer.present(target.dc(), 50, 40);
    EXPECT_EQ(target.at(0, 0), 0x0000FFu);
    EXPECT_EQ(target.at(49, 39), 0x0000FFu);
    EXPECT_EQ(target.at(55, 20), 0xFF0000u) << "only width × height is copied";

    ASSERT_NE(buffer.prepare(target.dc(), 30, 20), nullptr);
    EXPECT_EQ(buffer.width(), 30);
    EXPECT_EQ(buffer.height(), 20);
    buffer.release();
    EXPECT_EQ(buffer.width(), 0);
    target.fill(0x00FF00);
    buffer.present(target.dc(), 30, 20);
    EXPECT_EQ(target.at(0, 0), 0x00FF00u) << "a released buffer copies nothing";
    EXPECT_EQ(buffer.prepare(target.dc(), 30, 20) != nullptr, true) << "and can be prepared again";
}

TEST(Drawing, LabelsDrawInsideTheirRectangleAndPutTheDcBack) {
    PixelCanvas canvas(80, 30);
    canvas.fill(0xFFFFFF);
    const HFONT font = uiFont(nullptr, FontStyle::Title);
    const HGDIOBJ originalFont = GetCurrentObject(canvas.dc(), OBJ_FONT);
    SetTextColor(canvas.dc(), 0x123456);
    SetBkMode(canvas.dc(), OPAQUE);

    const RECT box{10, 5, 40, 25};
    drawLabel(canvas.dc(), u"", box, 0x000000, font, DT_SINGLELINE);
    for (int x = 0; x < 80; ++x) {
        ASSERT_EQ(canvas.at(x, 15), 0xFFFFFFu) << "empty text draws nothing";
    }
    drawLabel(canvas.dc(), u"WWWWWWWW", box, 0x000000, font, DT_SINGLELINE | DT_VCENTER);
    int inked = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 80; ++x) {
            const bool inside = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
            if (canvas.at(x, y) != 0xFFFFFFu) {
                EXPECT_TRUE(inside) << "ink outside the rectangle at " << x << "," << y;
                ++inked;
            }
        }
    }
    EXPECT_GT(inked, 20);
    EXPECT_EQ(GetTextColor(canvas.dc()), 0x123456u);
    EXPECT_EQ(GetBkMode(canvas.dc()), OPAQUE);
    EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_FONT), originalFont);
}

TEST(Drawing, FramesAreFourBandsInsideTheRectangle) {
    PixelCanvas canvas(30, 30);
    canvas.fill(0xFFFFFF);
    drawFrame(canvas.dc(), RECT{5, 5, 25, 20}, 0x0000FF, 2);
    struct Probe {
        int x;
        int y;
        bool framed;
    };
    const Probe probes[] = {
        {5, 5, true},   {6, 6, true},    {7, 7, false},   {24, 19, true},
        {23, 18, true}, {22, 17, false}, {15, 5, true},   {15, 6, true},
        {15, 7, false}, {15, 19, true},  {5, 12, true},   {24, 12, true},
        {4, 4, false},  {25, 12, false}, {15, 20, false}, {15, 12, false},
    };
    for (const Probe& probe : probes) {
        SCOPED_TRACE(testing::Message() << probe.x << "," << probe.y);
        EXPECT_EQ(canvas.at(probe.x, probe.y), probe.framed ? 0x0000FFu : 0xFFFFFFu);
    }
}

}  // namespace
}  // namespace ui
