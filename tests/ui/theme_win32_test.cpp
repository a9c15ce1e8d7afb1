// The appearance as the real environment and registry choose it, brushes, and the start-up
// opt-in into dark menus.

#include "ui/theme_win32.h"

#include "window_harness.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace ui {
namespace {

constexpr const wchar_t* kPersonalize =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

std::vector<BYTE> bytesOf(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(bytes, bytes + size);
}

TEST(Theme, TheAppearanceFollowsTheVariableThenTheSystemsAppsValue) {
    harness::SavedRegistryValue apps(kPersonalize, L"AppsUseLightTheme");
    harness::ScopedEnvironment theme(L"ROZOVIZOV_THEME", std::nullopt);

    enum class Stored { None, Dword, String, Qword, Binary };
    struct Case {
        std::optional<std::wstring> variable;
        Stored stored;
        std::uint32_t number;
        bool dark;
    };
    const std::wstring tooLong(40, L'd');
    const Case cases[] = {
        {std::nullopt, Stored::None, 0, false},
        {std::nullopt, Stored::Dword, 0, true},
        {std::nullopt, Stored::Dword, 1, false},
        {std::nullopt, Stored::Dword, 2, false},
        {std::nullopt, Stored::String, 0, false},
        {std::nullopt, Stored::Qword, 0, false},
        {std::nullopt, Stored::Binary, 0, false},
        {L"DARK", Stored::Dword, 1, true},
        {L"Dark", Stored::None, 0, true},
        {L"Light", Stored::Dword, 0, false},
        {L"grey", Stored::Dword, 0, true},
        {L"grey", Stored::Dword, 1, false},
        {L"", Stored::Dword, 0, true},
        {tooLong, Stored::Dword, 0, true},
        {L"dark" + std::wstring(20, L' '), Stored::Dword, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "variable "
                     << (c.variable ? std::string(c.variable->begin(), c.variable->end())
                                    : "(unset)")
                     << ", stored kind " << static_cast<int>(c.stored) << " value " << c.number);
        theme.set(c.variable);
        const std::uint64_t wide = c.number;
        const std::wstring text = std::to_wstring(c.number);
        switch (c.stored) {
            case Stored::None:
                apps.remove();
                break;
            case Stored::Dword:
                apps.setDword(c.number);
                break;
            case Stored::String:
                apps.set(REG_SZ, bytesOf(text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
                break;
            case Stored::Qword:
                apps.set(REG_QWORD, bytesOf(&wide, sizeof(wide)));
                break;
            case Stored::Binary:
                apps.set(REG_BINARY, bytesOf(&c.number, sizeof(c.number)));
                break;
        }
        loadPalette();
        EXPECT_EQ(palette().dark, c.dark);
        EXPECT_TRUE(palette().loaded);
        EXPECT_EQ(palette().paneBackground, paletteColours(c.dark).paneBackground);
    }
}

TEST(Theme, BrushesAreCachedPerExactColour) {
    const std::uint32_t colour = 0x00336699;
    const HBRUSH first = brushFor(colour);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(brushFor(colour), first);
    const HBRUSH other = brushFor(colour ^ 1);
    EXPECT_NE(other, first);
    LOGBRUSH described{};
    ASSERT_EQ(GetObjectW(other, sizeof(described), &described),
              static_cast<int>(sizeof(described)));
    EXPECT_EQ(described.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(described.lbColor, colour ^ 1);
}

TEST(Theme, TheBuildNumberIsTheRealOneNotTheCompatibilityAnswer) {
    // The build the system records in its registry. This test program declares no supported
    // systems, so the older query (GetVersionExW) answers here with Windows 8's build instead.
    wchar_t recorded[32] = {};
    DWORD size = sizeof(recorded);
    ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion",
                           L"CurrentBuildNumber", RRF_RT_REG_SZ, nullptr, recorded, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(windowsBuildNumber(),
              static_cast<std::uint32_t>(std::wcstoul(recorded, nullptr, 10)));
}

TEST(Theme, TheDarkMenuSwitchIsNotTouchedBeforeItsBuild) {
    EXPECT_EQ(allowDarkMenus(9600), DarkMenuOptIn::OlderSystem);
    EXPECT_EQ(allowDarkMenus(18361), DarkMenuOptIn::OlderSystem);
    // From its build on it is looked up; whether it exists depends on the system (Wine lacks it).
    const DarkMenuOptIn current = allowDarkMenus(18362);
    EXPECT_NE(current, DarkMenuOptIn::OlderSystem);
    const HMODULE library = LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const bool exported =
        library != nullptr && GetProcAddress(library, MAKEINTRESOURCEA(135)) != nullptr;
    EXPECT_EQ(current, exported ? DarkMenuOptIn::Called : DarkMenuOptIn::Unavailable);
}

}  // namespace
}  // namespace ui
