#pragma once

// The settings window: ten options on two pages, drawn entirely by hand, each toggled by a click
// (or Space on the focused box) through the settings store, whose listeners apply it at once.
// One per process, made on first use and afterwards only hidden and shown. Windows only;
// user-interface thread only.

#include "settings/settings_layout.h"
#include "settings/settings_store.h"
#include "ui/drawing_win32.h"

#include <windows.h>

#include <optional>
#include <vector>

namespace settings {

inline constexpr const wchar_t* kSettingsWindowClass = L"RozovizovPreferencesWindow";

class SettingsWindow {
  public:
    SettingsWindow() = default;
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    // Creates the window owned by `owner` the first time (the class must be registered with
    // windowProcedure), then shows it and brings it to the front on the page it was on. The
    // window reads and writes `store`, which must outlive it. An owner that is destroyed takes
    // the window with it; the next call makes a new one.
    void show(HWND owner, SettingsStore& store);

    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);

    HWND window() const { return window_; }
    int currentPage() const { return currentPage_; }
    const std::vector<SettingsRow>& rows() const { return rows_; }
    const Box& resetButton() const { return resetButton_; }
    SettingsGeometry geometry() const;
    // What has the keyboard focus within the window: nothing until a click or a key chose.
    const std::optional<SettingsStop>& focusedStop() const { return focus_; }
    // Whether the focused stop shows its mark: the window has the keyboard focus and the
    // keyboard was used since the last click.
    bool focusMarkShown() const;

  private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void layout();
    void paint();
    void paintRow(HDC dc, const SettingsRow& row, const SettingsGeometry& geometry);
    void paintFocusMark(HDC dc, const SettingsGeometry& geometry);
    void onMouseMove(int x, int y);
    void onClick(int x, int y);
    void onKeyDown(WPARAM key, LPARAM flags);
    void moveFocus(FocusMove move);
    // Does what a click on `stop` does, and what follows every change.
    void activate(const SettingsStop& stop);

    HWND window_ = nullptr;
    SettingsStore* store_ = nullptr;
    int currentPage_ = 0;
    std::vector<SettingsRow> rows_;
    Box resetButton_;
    int hoveredRow_ = -1;
    int hoveredPage_ = -1;
    bool resetHovered_ = false;
    std::optional<SettingsStop> focus_;
    bool focusCues_ = false;
    ui::BackBuffer buffer_;
};

// The process's one settings window.
SettingsWindow& settingsWindow();

}  // namespace settings
