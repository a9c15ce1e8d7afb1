#include "settings/settings_layout.h"

#include "ui/scaling.h"
#include "update/product_site.h"

#include <algorithm>

namespace settings {

namespace {

// Metrics at 96 DPI.
constexpr int kSidebar = 150;
constexpr int kEntryInset = 8;
constexpr int kEntryHeight = 34;
constexpr int kEntryFirstTop = 18;
constexpr int kEntrySpacingRaw = 4;  // not scaled
constexpr int kRightMargin = 24;
constexpr int kFirstRowTop = 24;
constexpr int kCheckBox = 15;
constexpr int kCheckLeft = kSidebar + 190;
constexpr int kCheckLine = 22;
constexpr int kExplanationGap = 6;
constexpr int kRowGap = 8;
constexpr int kSeparator = 18;
constexpr int kLabelGap = 9;
constexpr int kLabelOverhang = 3;
constexpr int kExplanationIndent = 20;
constexpr int kExplanationTop = 5;
constexpr int kSectionLeft = 10;
constexpr int kSectionRight = 170;
constexpr int kClickBand = 4;
constexpr int kResetLeft = kSidebar + 24;
constexpr int kResetWidth = 96;
constexpr int kResetTopFromBottom = 42;
constexpr int kResetBottomFromBottom = 14;
constexpr int kResetTextGap = 12;

SettingsRow setting(int page, std::u16string section, std::u16string label, int id,
                    std::u16string explanation) {
    SettingsRow row;
    row.page = page;
    row.section = std::move(section);
    row.label = std::move(label);
    row.id = id;
    row.explanation = std::move(explanation);
    return row;
}

SettingsRow separator(int page) {
    SettingsRow row;
    row.type = RowType::Separator;
    row.page = page;
    return row;
}

}  // namespace

std::vector<SettingsRow> settingsRows() {
    const std::u16string host = update::kProductHost;
    return {
        setting(0, u"View settings:", u"Show physical file size", 1,
                u"The physical size is the space a file occupies on the drive. Compressed and "
                u"sparse files can hold far more content than they occupy."),
        setting(0, u"", u"Split window horizontally", 2, u""),
        separator(0),
        setting(0, u"Use small font in:", u"Files view", 3, u""),
        setting(0, u"", u"File kinds", 4, u""),
        separator(0),
        setting(0, u"", u"Use the same colour for each file kind in all scans", 5, u""),
        separator(0),
        setting(0, u"Scanning:", u"Offer to restart as administrator", 6,
                u"Reading the drive's file table directly scans a whole drive in seconds, and "
                u"needs administrator rights. Only ever offered, never required \u2014 the "
                u"figures are the same either way."),
        separator(0),
        setting(0, u"Updates:", u"Check for a new version at launch", 7,
                u"Asks " + host +
                    u" whether a newer version has been released, sending only the platform and "
                    u"the version running. Nothing about what was scanned ever leaves the "
                    u"machine."),
        setting(1, u"", u"Animated zooming", 8,
                u"Turn this off if the animation is slow on your machine, or you dislike it."),
        separator(1),
        setting(1, u"View settings:", u"Show free space", 9,
                u"Shows free space as a block in the treemap, so the scanned folder can be sized "
                u"against the room left on the drive."),
        setting(1, u"", u"Show other space", 10,
                u"Shows everything else in use on the drive as a block. Scanning a whole drive, "
                u"that block is what the scan could not reach: folders closed even to an "
                u"administrator, and the file system's own records."),
    };
}

const char16_t* settingsPageName(int page) {
    return page == 0 ? u"General" : u"Treemap";
}

int SettingsGeometry::scaled(int length) const {
    return ui::scaleLength(length, dpi);
}

Box SettingsGeometry::pageEntry(int page) const {
    const int top = scaled(kEntryFirstTop) + page * (scaled(kEntryHeight) + kEntrySpacingRaw);
    return {scaled(kEntryInset), top, scaled(kSidebar - kEntryInset), top + scaled(kEntryHeight)};
}

Box SettingsGeometry::labelBox(const SettingsRow& row) const {
    return {row.checkBox.right + scaled(kLabelGap), row.checkBox.top - scaled(kLabelOverhang),
            row.row.right, row.checkBox.bottom + scaled(kLabelOverhang)};
}

Box SettingsGeometry::explanationBox(const SettingsRow& row, int height) const {
    const int top = row.checkBox.bottom + scaled(kExplanationTop);
    return {row.checkBox.left + scaled(kExplanationIndent), top, row.row.right, top + height};
}

Box SettingsGeometry::sectionBox(const SettingsRow& row) const {
    return {row.row.left + scaled(kSectionLeft), row.checkBox.top - 2,
            row.row.left + scaled(kSectionRight), row.checkBox.bottom};
}

Box SettingsGeometry::resetExplanation(const Box& button) const {
    return {button.right + scaled(kResetTextGap), button.top, clientWidth - scaled(kRightMargin),
            button.bottom};
}

Box layoutRows(std::vector<SettingsRow>& rows, int page, const SettingsGeometry& g,
               const MeasureText& measure) {
    const int left = g.scaled(kSidebar);
    const int right = g.clientWidth - g.scaled(kRightMargin);
    int t = g.scaled(kFirstRowTop);
    for (SettingsRow& row : rows) {
        if (row.page != page) {
            continue;
        }
        int bottom = 0;
        if (row.type == RowType::Separator) {
            bottom = t + g.scaled(kSeparator);
        } else {
            const int boxTop = t + (g.scaled(kCheckLine) - g.scaled(kCheckBox)) / 2;
            row.checkBox = {g.scaled(kCheckLeft), boxTop,
                            g.scaled(kCheckLeft) + g.scaled(kCheckBox),
                            boxTop + g.scaled(kCheckBox)};
            int height = g.scaled(kCheckLine);
            if (!row.explanation.empty()) {
                const int width = g.clientWidth - g.scaled(kRightMargin) -
                                  (row.checkBox.left + g.scaled(kExplanationIndent));
                height +=
                    g.scaled(kExplanationGap) + (measure ? measure(row.explanation, width) : 0);
            }
            bottom = t + height + g.scaled(kRowGap);
        }
        row.row = {left, t, right, bottom};
        t = bottom;
    }
    return {g.scaled(kResetLeft), g.clientHeight - g.scaled(kResetTopFromBottom),
            g.scaled(kResetLeft + kResetWidth), g.clientHeight - g.scaled(kResetBottomFromBottom)};
}

int pageAt(const SettingsGeometry& g, int x, int y) {
    if (x >= g.sidebarWidth()) {
        return -1;
    }
    for (int page = 0; page < kSettingsPageCount; ++page) {
        const Box entry = g.pageEntry(page);
        if (entry.top <= y && y < entry.bottom) {
            return page;
        }
    }
    return -1;
}

int rowAt(const std::vector<SettingsRow>& rows, int page, const SettingsGeometry& g, int x, int y) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SettingsRow& row = rows[i];
        if (row.page != page || row.type != RowType::Setting || y < row.row.top ||
            y >= row.row.bottom) {
            continue;
        }
        const int band = g.scaled(kClickBand);
        const bool inBand = row.checkBox.left <= x && x < row.row.right &&
                            row.checkBox.top - band <= y && y < row.checkBox.bottom + band;
        return inBand ? static_cast<int>(i) : -1;
    }
    return -1;
}

std::vector<SettingsStop> settingsStops(const std::vector<SettingsRow>& rows, int page) {
    std::vector<SettingsStop> stops;
    for (int entry = 0; entry < kSettingsPageCount; ++entry) {
        stops.push_back({StopKind::PageEntry, entry});
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].page == page && rows[i].type == RowType::Setting) {
            stops.push_back({StopKind::CheckBox, static_cast<int>(i)});
        }
    }
    stops.push_back({StopKind::Reset, -1});
    return stops;
}

SettingsStop moveSettingsFocus(const std::vector<SettingsRow>& rows, int page,
                               const SettingsStop& from, FocusMove move) {
    const std::vector<SettingsStop> stops = settingsStops(rows, page);
    const int count = static_cast<int>(stops.size());
    const auto at = std::find(stops.begin(), stops.end(), from);
    if (at == stops.end()) {
        if (move == FocusMove::Previous) {
            return stops.back();
        }
        if (move == FocusMove::Next) {
            return stops.front();
        }
        const auto box = std::find_if(stops.begin(), stops.end(), [](const SettingsStop& stop) {
            return stop.kind == StopKind::CheckBox;
        });
        return box == stops.end() ? stops.front() : *box;
    }
    const int here = static_cast<int>(at - stops.begin());
    switch (move) {
        case FocusMove::Next:
            return stops[static_cast<std::size_t>((here + 1) % count)];
        case FocusMove::Previous:
            return stops[static_cast<std::size_t>((here + count - 1) % count)];
        case FocusMove::Up:
        case FocusMove::Down: {
            const int step = move == FocusMove::Down ? 1 : -1;
            const int next = here + step;
            if (from.kind == StopKind::Reset || next < 0 || next >= count ||
                stops[static_cast<std::size_t>(next)].kind != from.kind) {
                return from;
            }
            return stops[static_cast<std::size_t>(next)];
        }
        default:
            // The window sends no other moves: its arrows go up and down only.
            return from;
    }
}

}  // namespace settings
