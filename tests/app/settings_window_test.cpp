// The settings window opened from the real main window: clicks on its rows write the registry
// (under the test's own key) and the main window follows at once.

#include "app/commands.h"
#include "settings/settings_window_win32.h"
#include "ui/theme_win32.h"

#include "main_window_fixture.h"

#include <gtest/gtest.h>

#include <optional>

namespace app {
namespace {

using settings::SettingsRow;
using settings::SettingsWindow;

class SettingsWindowTest : public windowtest::MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ASSERT_TRUE(main_.create(u""));
        settings_.addSettingsListener([this] { ++listenerCalls_; });
    }
    void TearDown() override {
        closeAndPump(main_);
        MainWindowFixture::TearDown();
    }

    SettingsWindow& window() { return settings::settingsWindow(); }
    // The value under the test's key as the registry holds it, or nothing when it is missing.
    std::optional<DWORD> stored(const wchar_t* name) const {
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (RegGetValueW(HKEY_CURRENT_USER, key_.path().c_str(), name, RRF_RT_REG_DWORD, nullptr,
                         &value, &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        return value;
    }
    const SettingsRow& row(std::u16string_view label) {
        for (const SettingsRow& candidate : window().rows()) {
            if (candidate.label == label) {
                return candidate;
            }
        }
        ADD_FAILURE() << "no row";
        return window().rows().front();
    }
    void clickAt(int x, int y) { harness::clickAt(window().window(), {x, y}); }
    // A click on the middle of a row's label, where a user aims.
    void clickLabel(std::u16string_view label) {
        const SettingsRow& target = row(label);
        clickAt(target.checkBox.right + 40, (target.checkBox.top + target.checkBox.bottom) / 2);
    }
    void choosePage(int page) {
        const settings::Box entry = window().geometry().pageEntry(page);
        clickAt(70, (entry.top + entry.bottom) / 2);
        ASSERT_EQ(window().currentPage(), page);
    }

    // Opens the window with its keyboard focus, as Ctrl+, leaves it.
    void openWithFocus() {
        SendMessageW(main_.window(), WM_COMMAND, CommandSettings, 0);
        const HWND shown = window().window();
        ASSERT_NE(shown, nullptr);
        SetForegroundWindow(shown);
        SetFocus(shown);
        ASSERT_TRUE(pumpUntil(main_, [&] { return GetFocus() == shown; }));
    }
    // Presses `key` (with `modifiers`) and pumps until the focus is on `expected`.
    bool keyTo(WORD key, const settings::SettingsStop& expected,
               std::initializer_list<WORD> modifiers = {}) {
        harness::pressKey(key, modifiers);
        return pumpUntil(main_, [&] { return window().focusedStop() == expected; });
    }
    settings::SettingsStop boxOf(std::u16string_view label) {
        return {settings::StopKind::CheckBox,
                static_cast<int>(&row(label) - window().rows().data())};
    }
    static constexpr settings::SettingsStop kEntry[2] = {{settings::StopKind::PageEntry, 0},
                                                         {settings::StopKind::PageEntry, 1}};
    static constexpr settings::SettingsStop kReset{settings::StopKind::Reset, -1};

    MainWindow main_{settings_};
    int listenerCalls_ = 0;
};

TEST_F(SettingsWindowTest, CtrlCommaOpensOneOwnedWindowThatEscapeHidesAndTheMenuShowsAgain) {
    SetForegroundWindow(main_.window());
    SetFocus(main_.window());
    harness::pressKey(VK_OEM_COMMA, {VK_CONTROL});
    ASSERT_TRUE(pumpUntil(
        main_, [&] { return window().window() != nullptr && IsWindowVisible(window().window()); }));
    const HWND shown = window().window();
    EXPECT_EQ(harness::windowText(shown), L"Settings");
    EXPECT_EQ(GetWindow(shown, GW_OWNER), main_.window());
    RECT client{};
    GetClientRect(shown, &client);
    EXPECT_EQ(client.right, 720);
    EXPECT_EQ(client.bottom, 620);
    wchar_t className[64] = {};
    GetClassNameW(shown, className, 64);
    EXPECT_EQ(std::wstring(className), L"RozovizovPreferencesWindow");
    EXPECT_EQ(window().currentPage(), 0);
    choosePage(1);

    // Esc reaches the settings window instead of stopping a scan, and only hides it.
    SetForegroundWindow(shown);
    SetFocus(shown);
    harness::pressKey(VK_ESCAPE);
    ASSERT_TRUE(pumpUntil(main_, [&] { return !IsWindowVisible(shown); }));
    EXPECT_TRUE(IsWindow(shown));

    // The menu item shows the same window again, on the page it was left on.
    SendMessageW(main_.window(), WM_COMMAND, CommandSettings, 0);
    EXPECT_EQ(window().window(), shown);
    EXPECT_TRUE(IsWindowVisible(shown));
    EXPECT_EQ(window().currentPage(), 1);
    // The close box hides it too.
    SendMessageW(shown, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(shown));
    EXPECT_TRUE(IsWindow(shown));
    EXPECT_EQ(listenerCalls_, 0) << "showing and hiding changes no setting";
}

TEST_F(SettingsWindowTest, ALabelClickWritesTheRegistryAndTheMenuAndViewFollowAtOnce) {
    // A scan, so the treemap is laid out and the split shows.
    const windowtest::GeneratedTree tree = makeTree("tree", 2, 1, 3);
    ASSERT_TRUE(scanToTheEnd(main_, tree.root.u16string()));
    SendMessageW(main_.window(), WM_COMMAND, CommandSettings, 0);
    ASSERT_NE(window().window(), nullptr);
    choosePage(0);
    const treemap::TreemapView& treemap = *main_.treemapView();
    const auto treemapTop = [&] { return harness::placeIn(main_.window(), treemap.window()).top; };
    ASSERT_EQ(treemapTop(), 42) << "side by side at first";
    EXPECT_FALSE(menuChecked(main_, CommandSplitHorizontally));

    clickLabel(u"Split window horizontally");
    EXPECT_EQ(stored(L"SplitHorizontally"), std::optional<DWORD>(1));
    EXPECT_EQ(listenerCalls_, 1);
    EXPECT_TRUE(menuChecked(main_, CommandSplitHorizontally));
    EXPECT_GT(treemapTop(), 42 + 100) << "the treemap moved below the file list";

    // The Treemap page: "Animated zooming" off and on again, read by the treemap view.
    choosePage(1);
    ASSERT_TRUE(treemap.animatedZooming());
    clickLabel(u"Animated zooming");
    EXPECT_EQ(stored(L"AnimatedZooming"), std::optional<DWORD>(0));
    EXPECT_FALSE(treemap.animatedZooming());
    EXPECT_FALSE(menuChecked(main_, CommandAnimatedZooming));
    clickLabel(u"Animated zooming");
    EXPECT_EQ(stored(L"AnimatedZooming"), std::optional<DWORD>(1));
    EXPECT_TRUE(treemap.animatedZooming());
    EXPECT_EQ(listenerCalls_, 3);

    // "Show free space" adds the drive's free space to the treemap's blocks at once.
    const std::size_t blocks = main_.treemapView()->options().spaceBlocks.size();
    clickLabel(u"Show free space");
    EXPECT_EQ(stored(L"ShowFreeSpace"), std::optional<DWORD>(1));
    EXPECT_TRUE(menuChecked(main_, CommandShowFreeSpace));
    EXPECT_EQ(main_.treemapView()->options().spaceBlocks.size(), blocks + 1);

    // "Show physical file size" on the General page: the treemap sizes by logical size.
    choosePage(0);
    ASSERT_FALSE(main_.treemapView()->options().useLogicalSize);
    clickLabel(u"Show physical file size");
    EXPECT_EQ(stored(L"ShowPhysicalFileSize"), std::optional<DWORD>(0));
    EXPECT_TRUE(main_.treemapView()->options().useLogicalSize);
    EXPECT_TRUE(menuChecked(main_, CommandShowLogicalSize));
}

TEST_F(SettingsWindowTest, ClicksBetweenRowsOnExplanationsAndSeparatorsChooseNothing) {
    SendMessageW(main_.window(), WM_COMMAND, CommandSettings, 0);
    ASSERT_NE(window().window(), nullptr);
    choosePage(0);
    const std::vector<SettingsRow>& rows = window().rows();
    for (const SettingsRow& candidate : rows) {
        if (candidate.page != 0) {
            continue;
        }
        SCOPED_TRACE(std::string(candidate.label.begin(), candidate.label.end()));
        if (candidate.type == settings::RowType::Separator) {
            clickAt(400, (candidate.row.top + candidate.row.bottom) / 2);
        } else if (!candidate.explanation.empty()) {
            clickAt(candidate.checkBox.left + 60, candidate.checkBox.bottom + 12);
        } else {
            // The gap under a row without explanation: below its click band.
            clickAt(400, candidate.checkBox.bottom + 5);
        }
        // The section titles, left of the boxes.
        clickAt(candidate.row.left + 60, (candidate.checkBox.top + candidate.checkBox.bottom) / 2);
    }
    // In the sidebar between the two page entries (y = 53 at 96 DPI).
    clickAt(70, 53);
    EXPECT_EQ(window().currentPage(), 0);
    EXPECT_EQ(listenerCalls_, 0);
    EXPECT_FALSE(key_.exists()) << "nothing was written, so the key was never made";
}

TEST_F(SettingsWindowTest, ResetRestoresEveryDefaultAndTellsTheListenersOnce) {
    SendMessageW(main_.window(), WM_COMMAND, CommandSettings, 0);
    ASSERT_NE(window().window(), nullptr);
    choosePage(0);
    for (const auto* label : {u"Show physical file size", u"Files view", u"File kinds",
                              u"Check for a new version at launch"}) {
        clickLabel(label);
    }
    choosePage(1);
    clickLabel(u"Show other space");
    settings_.setShowFileKindStatistics(false);
    ASSERT_EQ(listenerCalls_, 6);
    ASSERT_FALSE(settings_.showPhysicalFileSize());

    const settings::Box reset = window().resetButton();
    clickAt((reset.left + reset.right) / 2, (reset.top + reset.bottom) / 2);
    EXPECT_EQ(listenerCalls_, 7);
    EXPECT_FALSE(key_.exists()) << "the key is gone";
    for (const settings::SettingDefinition& definition : settings::kSettingDefinitions) {
        const std::u16string_view name = definition.name;
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        EXPECT_EQ(settings_.read(definition.setting), definition.fallback);
    }
    EXPECT_EQ(window().currentPage(), 1) << "the page stays";
    EXPECT_FALSE(menuChecked(main_, CommandShowLogicalSize));
    EXPECT_TRUE(menuChecked(main_, CommandFileKindsPanel));
}

TEST_F(SettingsWindowTest, TabReachesABoxThatSpaceTogglesAndTheMenuFollows) {
    openWithFocus();
    ASSERT_EQ(window().currentPage(), 0);
    ASSERT_FALSE(window().focusedStop().has_value());
    ASSERT_TRUE(keyTo(VK_TAB, kEntry[0]));
    ASSERT_TRUE(keyTo(VK_TAB, kEntry[1]));
    ASSERT_TRUE(keyTo(VK_TAB, boxOf(u"Show physical file size")));
    ASSERT_TRUE(keyTo(VK_DOWN, boxOf(u"Split window horizontally")));
    ASSERT_TRUE(keyTo(VK_UP, boxOf(u"Show physical file size")));
    ASSERT_TRUE(settings_.showPhysicalFileSize());

    harness::pressKey(VK_SPACE);
    ASSERT_TRUE(pumpUntil(main_, [&] { return listenerCalls_ == 1; }));
    EXPECT_EQ(stored(L"ShowPhysicalFileSize"), std::optional<DWORD>(0));
    EXPECT_TRUE(menuChecked(main_, CommandShowLogicalSize));
    // Enter is not a check box's key: by the time the Tab after it has arrived, nothing changed.
    harness::pressKey(VK_RETURN);
    ASSERT_TRUE(keyTo(VK_TAB, boxOf(u"Split window horizontally")));
    EXPECT_EQ(listenerCalls_, 1);
    ASSERT_TRUE(keyTo(VK_TAB, boxOf(u"Show physical file size"), {VK_SHIFT}));
    harness::pressKey(VK_SPACE);
    ASSERT_TRUE(pumpUntil(main_, [&] { return listenerCalls_ == 2; }));
    EXPECT_EQ(stored(L"ShowPhysicalFileSize"), std::optional<DWORD>(1));
    EXPECT_FALSE(menuChecked(main_, CommandShowLogicalSize));

    // Shift+Tab from the first box goes back to the sidebar, and round past its start to Reset.
    ASSERT_TRUE(keyTo(VK_TAB, kEntry[1], {VK_SHIFT}));
    ASSERT_TRUE(keyTo(VK_TAB, kEntry[0], {VK_SHIFT}));
    ASSERT_TRUE(keyTo(VK_TAB, kReset, {VK_SHIFT}));
}

TEST_F(SettingsWindowTest, TheKeysSwitchThePageAndReset) {
    openWithFocus();
    settings_.setAnimatedZooming(false);
    const int changes = listenerCalls_;

    // Down along the sidebar, Enter on "Treemap": its boxes follow the entries.
    ASSERT_TRUE(keyTo(VK_TAB, kEntry[0]));
    ASSERT_TRUE(keyTo(VK_DOWN, kEntry[1]));
    EXPECT_EQ(window().currentPage(), 0) << "moving along the sidebar shows no page yet";
    harness::pressKey(VK_RETURN);
    ASSERT_TRUE(pumpUntil(main_, [&] { return window().currentPage() == 1; }));
    ASSERT_TRUE(keyTo(VK_TAB, boxOf(u"Animated zooming")));
    ASSERT_TRUE(keyTo(VK_TAB, boxOf(u"Show free space")));
    ASSERT_TRUE(keyTo(VK_TAB, boxOf(u"Show other space")));
    ASSERT_TRUE(keyTo(VK_TAB, kReset));
    // Space on "General" goes back to it.
    ASSERT_TRUE(keyTo(VK_TAB, kEntry[0]));
    harness::pressKey(VK_SPACE);
    ASSERT_TRUE(pumpUntil(main_, [&] { return window().currentPage() == 0; }));
    EXPECT_EQ(listenerCalls_, changes) << "choosing pages changes no setting";

    // Enter on Reset puts the setting back, as its click does.
    ASSERT_TRUE(keyTo(VK_TAB, kReset, {VK_SHIFT}));
    harness::pressKey(VK_RETURN);
    ASSERT_TRUE(pumpUntil(main_, [&] { return listenerCalls_ == changes + 1; }));
    EXPECT_TRUE(settings_.animatedZooming());
    EXPECT_FALSE(key_.exists());
    EXPECT_EQ(window().currentPage(), 0);
}

TEST_F(SettingsWindowTest, TheFocusMarkShowsAfterAKeyAndHidesAfterAClick) {
    openWithFocus();
    const HWND shown = window().window();
    const SettingsRow& split = row(u"Split window horizontally");
    // The ring stands two pixels wide, a pixel clear of the box and its label.
    const auto ringPixel = [&] {
        return harness::paintedPixel(shown, split.checkBox.left - 3, split.checkBox.top + 7);
    };
    const std::uint32_t background = ui::palette().paneBackground;
    EXPECT_EQ(ringPixel(), background);
    ASSERT_TRUE(keyTo(VK_DOWN, boxOf(u"Show physical file size")));
    ASSERT_TRUE(keyTo(VK_DOWN, boxOf(u"Split window horizontally")));
    EXPECT_TRUE(window().focusMarkShown());
    EXPECT_EQ(ringPixel(), ui::palette().focusMark);
    EXPECT_EQ(harness::paintedPixel(shown, split.checkBox.left - 1, split.checkBox.top + 7),
              background);

    // A click on the label toggles the box and takes the focus there, with the mark hidden.
    clickLabel(u"Split window horizontally");
    EXPECT_EQ(window().focusedStop(), boxOf(u"Split window horizontally"));
    EXPECT_FALSE(window().focusMarkShown());
    EXPECT_EQ(ringPixel(), background);
    // The keyboard brings it back; the window losing the focus takes it away.
    ASSERT_TRUE(keyTo(VK_DOWN, boxOf(u"Files view")));
    ASSERT_TRUE(keyTo(VK_UP, boxOf(u"Split window horizontally")));
    EXPECT_EQ(ringPixel(), ui::palette().focusMark);
    SetFocus(main_.window());
    EXPECT_EQ(ringPixel(), background);
}

TEST_F(SettingsWindowTest, ItPaintsTheBoxesFromTheRegistryInThePalettesColours) {
    SendMessageW(main_.window(), WM_COMMAND, CommandSettings, 0);
    const HWND shown = window().window();
    ASSERT_NE(shown, nullptr);
    choosePage(0);
    settings_.setSplitHorizontally(false);
    const ui::Palette& colours = ui::palette();
    const auto pixel = [&](int x, int y) { return harness::repaintedPixel(shown, x, y); };
    const SettingsRow& physical = row(u"Show physical file size");  // on by default
    const SettingsRow& split = row(u"Split window horizontally");   // off
    // Near the box's top-left corner, inside the frame and clear of the tick.
    EXPECT_EQ(pixel(physical.checkBox.left + 2, physical.checkBox.top + 2), colours.accent);
    EXPECT_EQ(pixel(split.checkBox.left + 2, split.checkBox.top + 2), colours.paneBackground);
    EXPECT_EQ(pixel(split.checkBox.left, split.checkBox.top + 7), colours.line);
    EXPECT_EQ(pixel(70, 30), colours.accent) << "the current page's entry";
    EXPECT_EQ(pixel(70, 70), colours.chromeBackground) << "the other entry";
    // A change from elsewhere shows at the next paint.
    settings_.setSplitHorizontally(true);
    EXPECT_EQ(pixel(split.checkBox.left + 2, split.checkBox.top + 2), colours.accent);

    // The appearance flipping while the window is open: it repaints in the other palette.
    {
        harness::ScopedEnvironment theme(L"ROZOVIZOV_THEME", colours.dark ? L"light" : L"dark");
        const bool wasDark = colours.dark;
        SendMessageW(main_.window(), WM_SETTINGCHANGE, 0,
                     reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
        ASSERT_NE(ui::palette().dark, wasDark);
        EXPECT_TRUE(GetUpdateRect(shown, nullptr, FALSE));
        EXPECT_EQ(pixel(705, 610), ui::paletteColours(!wasDark).paneBackground);
        EXPECT_EQ(pixel(20, 600), ui::paletteColours(!wasDark).chromeBackground);
        theme.set(std::nullopt);
        ui::loadPalette();
    }

    // A new DPI lays the rows out again without resizing the window.
    RECT before{};
    GetWindowRect(shown, &before);
    RECT suggested{0, 0, 100, 100};
    SendMessageW(shown, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT after{};
    GetWindowRect(shown, &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(row(u"Show physical file size").checkBox.left, 340) << "this window is at 96 DPI";
}

}  // namespace
}  // namespace app
