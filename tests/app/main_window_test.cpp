// The real main window, created and driven with real messages and key presses in this process,
// and the real program run as a child process.

#include "app/main_window.h"

#include "app/commands.h"
#include "ui/theme_win32.h"

#include "main_window_fixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace app {
namespace {

namespace fs = std::filesystem;

class MainWindowTest : public windowtest::MainWindowFixture {
  protected:
    // A tree that a test acts on as soon as its scan starts, which it then is far from the end of:
    // the walk opens and lists over a thousand folders, the action takes a few messages. Folders
    // rather than files, which cost about as much to make but little to list.
    windowtest::GeneratedTree makeLargeTree() const { return makeTree("large", 60, 20, 1); }
};

SIZE iconSize(HICON icon) {
    ICONINFO info{};
    if (GetIconInfo(icon, &info) == 0) {
        return {0, 0};
    }
    BITMAP bitmap{};
    GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return {bitmap.bmWidth, bitmap.bmHeight};
}

TEST_F(MainWindowTest, WithoutAPathItShowsItselfScansNothingAndQuitsWithZero) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    const HWND window = main.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(harness::windowText(window), L"Rozovizov");
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&main));
    RECT frame{};
    GetWindowRect(window, &frame);
    EXPECT_EQ(frame.right - frame.left, 1400);
    EXPECT_EQ(frame.bottom - frame.top, 900);

    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    EXPECT_EQ(std::wstring(className), L"RozovizovMainWindow");
    WNDCLASSEXW registered{};
    registered.cbSize = sizeof(registered);
    ASSERT_NE(GetClassInfoExW(GetModuleHandleW(nullptr), kMainWindowClass, &registered), 0);
    EXPECT_EQ(registered.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
    EXPECT_EQ(registered.hbrBackground, nullptr);
    EXPECT_EQ(registered.hIcon, nullptr);
    EXPECT_EQ(registered.hCursor, LoadCursorW(nullptr, IDC_ARROW));

    // This test program carries the program's resources, so both icon sizes load.
    const auto small = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
    const auto big = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
    ASSERT_NE(small, nullptr);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(iconSize(small).cx, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(iconSize(big).cx, GetSystemMetrics(SM_CXICON));
    ASSERT_NE(main.accelerators(), nullptr);
    EXPECT_EQ(CopyAcceleratorTableW(main.accelerators(), nullptr, 0), 12);

    EXPECT_TRUE(main.welcomeShown());
    EXPECT_EQ(main.controller().scanner(), nullptr);
    EXPECT_FALSE(main.controller().running());

    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(main.window(), nullptr);
}

// Thread timers carry no context, so the two below share these.
HWND closingWindow = nullptr;
bool rescued = false;

// Closes the window from inside what stands for a modal loop of the system, which takes the quit
// message for itself, as such a loop may when the window goes away while it runs.
void CALLBACK closeInsideAModalLoop(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    SendMessageW(closingWindow, WM_CLOSE, 0, 0);
    MSG quit{};
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

void CALLBACK rescueTheLoop(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    rescued = true;
    PostQuitMessage(0);
}

TEST_F(MainWindowTest, TheLoopEndsWithTheWindowEvenWhenTheQuitMessageIsLost) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    closingWindow = main.window();
    rescued = false;
    SetTimer(nullptr, 0, 10, &closeInsideAModalLoop);
    const UINT_PTR rescue = SetTimer(nullptr, 0, 10000, &rescueTheLoop);
    main.loop();
    KillTimer(nullptr, rescue);
    EXPECT_FALSE(rescued) << "the loop waited on after its window was gone";
    EXPECT_EQ(main.window(), nullptr);
}

TEST_F(MainWindowTest, APathThatDoesNotExistIsScannedAnywayAndEndsAtOnce) {
    const fs::path ended = scratch_ / "scan-ended";
    harness::ScopedEnvironment signal(L"ROZOVIZOV_SCAN_END_FILE", ended.wstring());
    const std::u16string missing =
        u"Z:\\no such folder\\rozovizov-" + scratch_.filename().u16string();
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(missing));
    EXPECT_EQ(harness::windowText(main.window()),
              L"Rozovizov \u2014 " + std::wstring(missing.begin(), missing.end()));
    EXPECT_FALSE(main.welcomeShown());
    // The file appears once the window has handled the end of the scan.
    ASSERT_TRUE(pumpUntil(main, [&] { return fs::exists(ended); }));
    EXPECT_FALSE(main.controller().running());
    ASSERT_NE(main.controller().scanner(), nullptr);
    EXPECT_EQ(rowsOf(main), 0u) << "an unreadable root leaves the store without rows";
    EXPECT_EQ(main.statusText(), u"Cannot scan " + missing + u": it does not exist")
        << "the window says why it shows nothing";
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowTest, ClosingDuringALargeScanStopsItPromptlyAndLeavesNoThread) {
    const windowtest::GeneratedTree tree = makeLargeTree();
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    harness::pumpPending();
    const int threadsBefore = harness::threadCount();
    main.openScan(tree.root.u16string());
    EXPECT_GT(harness::threadCount(), threadsBefore) << "the scan runs on threads of its own";

    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
    EXPECT_FALSE(main.controller().running());
    EXPECT_EQ(main.controller().scanner(), nullptr) << "the scan was discarded";
    // Stopped where it stood, not waited for until it had walked the whole tree.
    const scan::ScanResult& last = main.controller().lastResult();
    EXPECT_TRUE(last.stopped) << "the close stopped the scan";
    EXPECT_LT(last.files, static_cast<std::uint64_t>(tree.files)) << "the walk was cut short";
    EXPECT_EQ(history::lastScanTime(main.controller().rootPath()), 0u)
        << "a stopped scan is not recorded";
    // A treemap build may still be running: it is detached and ends on its own, holding the
    // store it reads until then.
    const int builds = main.treemapView()->schedule().building() ? 1 : 0;
    EXPECT_LE(harness::threadCount(), threadsBefore + builds) << "every scan thread was joined";
    EXPECT_TRUE(harness::pumpUntil([&] { return harness::threadCount() == threadsBefore; }))
        << "a build outliving the window ends by itself";
}

TEST_F(MainWindowTest, EscapeTypedWhileScanningStopsTheScan) {
    const windowtest::GeneratedTree tree = makeLargeTree();
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(tree.root.u16string()));
    SetForegroundWindow(main.window());
    SetFocus(main.window());
    harness::pressKey(VK_ESCAPE);
    ASSERT_TRUE(pumpUntil(main, [&] { return !main.controller().running(); }));
    EXPECT_TRUE(main.controller().stopped()) << "the scan ended because Esc asked it to";
    EXPECT_LT(main.controller().lastResult().files, static_cast<std::uint64_t>(tree.files))
        << "the walk was cut short";
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowTest, ASettingChangeRepaintsOnlyWhenTheAppearanceFlips) {
    harness::ScopedEnvironment theme(L"ROZOVIZOV_THEME", L"light");
    ui::loadPalette();
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    const HWND window = main.window();
    UpdateWindow(window);
    harness::pumpPending();
    const auto pixel = [window](int x, int y) {
        return static_cast<std::uint32_t>(harness::paintedPixel(window, x, y));
    };
    EXPECT_EQ(pixel(5, 5), ui::paletteColours(false).chromeBackground);
    EXPECT_EQ(pixel(5, 41), ui::paletteColours(false).line);
    // The start page fills the content area with the chrome background.
    EXPECT_EQ(pixel(5, 100), ui::paletteColours(false).chromeBackground);

    const auto settingChange = [window] {
        SendMessageW(window, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
    };
    settingChange();
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE)) << "nothing changed, nothing to repaint";
    EXPECT_FALSE(ui::palette().dark);

    theme.set(L"dark");
    settingChange();
    EXPECT_TRUE(ui::palette().dark);
    EXPECT_TRUE(GetUpdateRect(window, nullptr, FALSE)) << "the flip repaints the window";
    UpdateWindow(window);
    EXPECT_EQ(pixel(5, 5), ui::paletteColours(true).chromeBackground);
    EXPECT_EQ(pixel(5, 41), ui::paletteColours(true).line);
    EXPECT_EQ(pixel(5, 100), ui::paletteColours(true).chromeBackground);

    settingChange();
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
    theme.set(std::nullopt);
    ui::loadPalette();
}

TEST_F(MainWindowTest, TheMenuShowsTheSettingsAndItsTogglesFlipThem) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    const HMENU bar = GetMenu(main.window());
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 4);
    const auto state = [&](int id) { return menuItemState(main, kViewMenu, id); };
    struct Case {
        int id;
        settings::Setting setting;
        bool checkedWhenOn;
    };
    const Case cases[] = {
        {CommandShowFreeSpace, settings::Setting::ShowFreeSpace, true},
        {CommandShowLogicalSize, settings::Setting::ShowPhysicalFileSize, false},
        {CommandSplitHorizontally, settings::Setting::SplitHorizontally, true},
        {CommandAnimatedZooming, settings::Setting::AnimatedZooming, true},
        {CommandFileKindsPanel, settings::Setting::ShowFileKindStatistics, true},
        {CommandShowOtherSpace, settings::Setting::ShowOtherSpace, true},
        {CommandConsistentKindColours, settings::Setting::ConsistentKindColours, true},
        {CommandSmallFontFiles, settings::Setting::SmallFontFiles, true},
        {CommandSmallFontKinds, settings::Setting::SmallFontKinds, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const bool before = settings_.read(c.setting);
        EXPECT_EQ((state(c.id) & MF_CHECKED) != 0, before == c.checkedWhenOn);
        SendMessageW(main.window(), WM_COMMAND, static_cast<WPARAM>(c.id), 0);
        EXPECT_EQ(settings_.read(c.setting), !before);
        EXPECT_EQ((state(c.id) & MF_CHECKED) != 0, !before == c.checkedWhenOn);
    }
    EXPECT_NE(state(CommandZoomOut) & MF_GRAYED, 0u) << "nothing to zoom out of";
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowTest, ADpiChangeMovesTheWindowWhereTheSystemSuggests) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    RECT suggested{40, 30, 40 + 1100, 30 + 700};
    SendMessageW(main.window(), WM_DPICHANGED, MAKEWPARAM(96, 96),
                 reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    GetWindowRect(main.window(), &now);
    EXPECT_EQ(now.left, suggested.left);
    EXPECT_EQ(now.top, suggested.top);
    EXPECT_EQ(now.right - now.left, 1100);
    EXPECT_EQ(now.bottom - now.top, 700);
    // The toolbar was laid out again for the new width.
    RECT client{};
    GetClientRect(main.window(), &client);
    const RECT refresh = harness::placeIn(main.window(), GetDlgItem(main.window(), ControlRefresh));
    EXPECT_EQ(refresh.right, client.right - 10);
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

// The built program itself, as a user starts it.
class Program : public windowtest::MainWindowFixture {};

TEST_F(Program, OpensItsFirstArgumentAndEndsWithZeroWhenClosed) {
    // Folders that do not exist: the program opens them all the same and its scan of them ends at
    // once, so the test closes it at a known point, and nothing enters the history of the prefix,
    // where the program keeps it.
    const std::wstring first = (scratch_ / "first").wstring();
    const std::wstring second = (scratch_ / "second").wstring();
    const fs::path ended = scratch_ / "scan-ended";
    harness::ScopedEnvironment signal(L"ROZOVIZOV_SCAN_END_FILE", ended.wstring());
    struct Case {
        std::vector<std::wstring> arguments;
        std::wstring title;
    };
    const Case cases[] = {
        {{}, L"Rozovizov"},
        {{first}, L"Rozovizov \u2014 " + first},
        {{first, second}, L"Rozovizov \u2014 " + first},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.arguments.size() << " arguments");
        fs::remove(ended);
        harness::ChildProcess program(harness::programPath(ROZOVIZOV_PROGRAM), c.arguments);
        ASSERT_TRUE(program.started());
        ASSERT_TRUE(program.waitUntilIdle());
        HWND window = nullptr;
        ASSERT_TRUE(harness::pumpUntil(
            [&] { return (window = program.findWindow(kMainWindowClass)) != nullptr; }));
        EXPECT_EQ(harness::windowText(window), c.title);
        if (!c.arguments.empty()) {
            // The file appears once the program has handled the end of the scan it started.
            EXPECT_TRUE(harness::pumpUntil([&] { return fs::exists(ended); }));
        }
        EXPECT_EQ(WaitForSingleObject(program.handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
            << "the program does not end by itself";
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.waitForExit(), std::optional<DWORD>(0)) << "the close ends the program";
    }
}

}  // namespace
}  // namespace app
