#pragma once

// The settings window without its window: the rows of its two pages, where each row, the page
// entries and the "Reset" button go, and what a point is over. The window paints these
// rectangles and forwards input; explanations are measured by it through a function.

#include "ui/box.h"
#include "ui/focus_move.h"

#include <functional>
#include <string>
#include <vector>

namespace settings {

using Box = ui::Box;

enum class RowType { Setting, Separator };

struct SettingsRow {
    RowType type = RowType::Setting;
    int page = 0;  // 0 General, 1 Treemap
    std::u16string section;
    std::u16string label;
    std::u16string explanation;
    int id = 0;  // the setting's window id, 1 to 10; 0 for a separator
    // Set by layoutRows for the rows of the page laid out; other rows keep their old places.
    Box row;
    Box checkBox;
};

// Both pages' rows, in order.
std::vector<SettingsRow> settingsRows();

inline constexpr int kSettingsPageCount = 2;
// "General" and "Treemap".
const char16_t* settingsPageName(int page);

// The client size the window is made for, in pixels at any DPI.
inline constexpr int kSettingsClientWidth = 720;
inline constexpr int kSettingsClientHeight = 620;

// The height of `text` wrapped to `width` pixels in the small font.
using MeasureText = std::function<int(const std::u16string& text, int width)>;

struct SettingsGeometry {
    int dpi = 96;
    int clientWidth = 0;
    int clientHeight = 0;

    int scaled(int length) const;
    int sidebarWidth() const { return scaled(150); }
    // The page entry of `page` in the sidebar.
    Box pageEntry(int page) const;
    // Where a row's parts go, from its check box and its place.
    Box labelBox(const SettingsRow& row) const;
    Box explanationBox(const SettingsRow& row, int height) const;
    Box sectionBox(const SettingsRow& row) const;
    int separatorY(const SettingsRow& row) const { return (row.row.top + row.row.bottom) / 2; }
    // The line above the footer, and the text beside the button.
    int footerTop() const { return clientHeight - scaled(56); }
    Box resetExplanation(const Box& button) const;
};

// Places the rows of `page` from the top down and answers the "Reset" button's rectangle.
Box layoutRows(std::vector<SettingsRow>& rows, int page, const SettingsGeometry& geometry,
               const MeasureText& measure);

// The page entry at a point, or -1.
int pageAt(const SettingsGeometry& geometry, int x, int y);
// The setting row of `page` at a point, or -1: only the band of the check box and its label
// answers, never the explanation below it nor a separator.
int rowAt(const std::vector<SettingsRow>& rows, int page, const SettingsGeometry& geometry, int x,
          int y);

// What the keyboard can focus, in the order Tab visits it: the page entries of the sidebar,
// the check boxes of the page shown, then "Reset".
enum class StopKind { PageEntry, CheckBox, Reset };

struct SettingsStop {
    StopKind kind = StopKind::PageEntry;
    int index = -1;  // the page of an entry, the row of a check box (into the rows); -1 for Reset
    friend bool operator==(const SettingsStop&, const SettingsStop&) = default;
};

// The stops while page `page` shows, in Tab order.
std::vector<SettingsStop> settingsStops(const std::vector<SettingsRow>& rows, int page);

using ui::FocusMove;

// Where the focus goes from `from` on page `page`. Next and Previous go round all the stops, as
// Tab does in a window of its own. Up and Down stay among the stops of `from`'s kind, the page
// entries or the check boxes, and stop at the ends; on Reset they do nothing. From a stop that
// is not on the page (none yet, or a check box of the page left), Next begins at the first
// stop, Previous at the last, the others at the first check box.
SettingsStop moveSettingsFocus(const std::vector<SettingsRow>& rows, int page,
                               const SettingsStop& from, FocusMove move);

}  // namespace settings
