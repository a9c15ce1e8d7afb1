#include "ui/theme_win32.h"

#include "ui/registry_win32.h"

#include <dwmapi.h>
#include <uxtheme.h>

#include <map>

namespace ui {

namespace {

// The names of these attributes differ between SDKs, and older headers lack them.
constexpr DWORD kDarkTitleBarAttribute = 20;
constexpr DWORD kDarkTitleBarAttributeBefore20H1 = 19;
constexpr WORD kDarkModeSwitchOrdinal = 135;
constexpr DWORD kThemeVariableCharacters = 16;

Palette& record() {
    static Palette palette;
    return palette;
}

}  // namespace

const Palette& palette() {
    if (!record().loaded) {
        loadPalette();
    }
    return record();
}

void loadPalette() {
    Palette& current = record();
    current = paletteColours(darkAppearanceChosen(themeVariable(), appsUseLightTheme()));
    current.loaded = true;
}

std::optional<std::u16string> themeVariable() {
    wchar_t buffer[kThemeVariableCharacters] = {};
    const DWORD length =
        GetEnvironmentVariableW(L"ROZOVIZOV_THEME", buffer, kThemeVariableCharacters);
    // A value too long for the buffer answers with the size it would need and is ignored.
    if (length == 0 || length >= kThemeVariableCharacters) {
        return std::nullopt;
    }
    return std::u16string(reinterpret_cast<const char16_t*>(buffer), length);
}

StoredNumber appsUseLightTheme() {
    return readStoredNumber(HKEY_CURRENT_USER,
                            L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                            L"AppsUseLightTheme");
}

HBRUSH brushFor(std::uint32_t colour) {
    static std::map<std::uint32_t, HBRUSH> brushes;
    auto [entry, added] = brushes.try_emplace(colour, nullptr);
    if (added) {
        entry->second = CreateSolidBrush(colour);
    }
    return entry->second;
}

void applyWindowTheme(HWND window) {
    if (window == nullptr) {
        return;
    }
    const bool dark = palette().dark;
    const BOOL value = dark ? TRUE : FALSE;
    if (FAILED(DwmSetWindowAttribute(window, kDarkTitleBarAttribute, &value, sizeof(value)))) {
        DwmSetWindowAttribute(window, kDarkTitleBarAttributeBefore20H1, &value, sizeof(value));
    }
    SetWindowTheme(window, dark ? L"DarkMode_Explorer" : nullptr, nullptr);
}

std::uint32_t windowsBuildNumber() {
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr) {
        return 0;
    }
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (rtlGetVersion == nullptr || rtlGetVersion(&version) != 0) {
        return 0;
    }
    return version.dwBuildNumber;
}

DarkMenuOptIn allowDarkMenus(std::uint32_t windowsBuild) {
    if (!darkMenuSwitchExists(windowsBuild)) {
        return DarkMenuOptIn::OlderSystem;
    }
    const HMODULE library = LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library == nullptr) {
        return DarkMenuOptIn::Unavailable;
    }
    using PreferredAppMode = int(WINAPI*)(int);
    const auto setMode = reinterpret_cast<PreferredAppMode>(
        reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(kDarkModeSwitchOrdinal))));
    if (setMode == nullptr) {
        return DarkMenuOptIn::Unavailable;
    }
    // 1: allow dark. The library stays loaded; the switch lives in it.
    setMode(1);
    return DarkMenuOptIn::Called;
}

}  // namespace ui
