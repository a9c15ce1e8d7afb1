#pragma once

// The process's palette as the system and ROZOVIZOV_THEME choose it, cached brushes, and the
// theming of windows. Windows only; user-interface thread only.

#include "ui/palette.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace ui {

// The process-wide record, loaded on first use. Painting code reads it on every paint.
const Palette& palette();
// Decides the appearance again and rewrites the record in place (WM_SETTINGCHANGE calls it).
void loadPalette();

// ROZOVIZOV_THEME as it is read: empty when unset or longer than 15 characters.
std::optional<std::u16string> themeVariable();
// AppsUseLightTheme under the current user's personalisation key.
StoredNumber appsUseLightTheme();

// A solid brush of `colour` (0x00BBGGRR), made on first request and kept for the whole run.
// Callers never delete it.
HBRUSH brushFor(std::uint32_t colour);

// Makes a top-level window or themed control follow the appearance: the title bar through the
// desktop window manager (attribute 20, or 19 on builds that know only that), scroll bars and
// drop-down lists through the theme library. Null does nothing; refusals are silent.
void applyWindowTheme(HWND window);

// The real build number of Windows (RtlGetVersion, which no compatibility shim lowers).
std::uint32_t windowsBuildNumber();

enum class DarkMenuOptIn {
    OlderSystem,  // the build predates the switch: the export was not even looked up
    Unavailable,  // the theme library or its export 135 is missing
    Called,       // the switch was called with "allow dark"
};
// Lets system-drawn menus and scroll bars follow the dark appearance. Called once at start-up,
// before any window exists, with windowsBuildNumber().
DarkMenuOptIn allowDarkMenus(std::uint32_t windowsBuild);

}  // namespace ui
