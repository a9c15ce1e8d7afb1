#include "app/main_window.h"

#include "app/commands.h"
#include "app/measure_box.h"
#include "app/window_classes.h"
#include "panes/information_panel_win32.h"
#include "panes/selection_panel_win32.h"
#include "scan/volumes.h"
#include "ui/theme_win32.h"

#include <iterator>
#include <vector>

namespace app {

namespace {

// Metrics at 96 DPI.
// The faces of toolbar buttons that are not pressed, as GDI colour words.
constexpr std::uint32_t kDarkButtonFace = 0x2D2D2D;   // RGB(45, 45, 45)
constexpr std::uint32_t kLightButtonFace = 0xFCFCFC;  // RGB(252, 252, 252)

RECT clientRectOf(HWND child, HWND parent) {
    RECT rectangle{};
    GetWindowRect(child, &rectangle);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rectangle), 2);
    return rectangle;
}

HWND createChild(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style,
                 int id) {
    return CreateWindowExW(0, windowClass, text, WS_CHILD | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

// A menu item; id 0 is a separator.
struct MenuItem {
    int id;
    const wchar_t* text;
};

struct Popup {
    const wchar_t* title;
    const MenuItem* items;
    std::size_t count;
};

constexpr MenuItem kFileMenu[] = {
    {CommandOpen, L"&Open\u2026\tCtrl+O"},
    {CommandRefreshEverything, L"&Refresh Everything\tCtrl+R"},
    {CommandRefreshFolder, L"Refresh &Folder"},
    {CommandStopScanning, L"&Stop Scanning\tEsc"},
    {0, nullptr},
    {CommandSettings, L"Se&ttings\u2026\tCtrl+,"},
    {0, nullptr},
    {CommandExit, L"E&xit"},
};

constexpr MenuItem kEditMenu[] = {
    {CommandCopyPath, L"&Copy Path\tCtrl+C"},
    {CommandShowInExplorer, L"Show in &Explorer"},
    {0, nullptr},
    {CommandMoveToRecycleBin, L"Move to Recycle &Bin\tDel"},
};

constexpr MenuItem kViewMenu[] = {
    {CommandZoomIn, L"Zoom &In\tCtrl++"},
    {CommandZoomOut, L"Zoom &Out\tCtrl+-"},
    {CommandZoomToTop, L"Zoom to &Top"},
    {0, nullptr},
    {CommandCollapseAll, L"&Collapse All Folders"},
    {CommandSelectParent, L"Select &Parent Folder"},
    {0, nullptr},
    {CommandFileKindsPanel, L"File &Kinds Panel"},
    {CommandSelectionPanel, L"&Selection Panel"},
    {CommandInformationPanel, L"&Information Panel"},
    {0, nullptr},
    {CommandShowFreeSpace, L"Show &Free Space"},
    {CommandShowOtherSpace, L"Show O&ther Space on Drive"},
    {CommandShowLogicalSize, L"Show &Logical Size"},
    {0, nullptr},
    {CommandConsistentKindColours, L"Consistent Kind Colours"},
    {CommandAnimatedZooming, L"Animated Zooming"},
    {CommandSplitHorizontally, L"Split Horizontally"},
    {CommandSmallFontFiles, L"Small Font in File List"},
    {CommandSmallFontKinds, L"Small Font in File Kinds"},
};

constexpr MenuItem kHelpMenu[] = {
    {CommandRestartElevated, L"Restart as &Administrator\u2026"},
    {0, nullptr},
    {CommandCheckForUpdates, L"Check for &Updates\u2026"},
    {CommandAbout, L"&About Rozovizov"},
};

constexpr Popup kMenuBar[] = {
    {L"&File", kFileMenu, std::size(kFileMenu)},
    {L"&Edit", kEditMenu, std::size(kEditMenu)},
    {L"&View", kViewMenu, std::size(kViewMenu)},
    {L"&Help", kHelpMenu, std::size(kHelpMenu)},
};

}  // namespace

void MainWindow::buildChrome() {
    createToolbar();
    createKindPane();
    createTreemapView();
    createPendingPane();
    createFileList();
    createWelcomeView();
    ui::applyWindowTheme(window_);
    // Every pane with scroll bars follows the appearance from the start, not only after a flip.
    ui::applyWindowTheme(kindPane_->window());
    ui::applyWindowTheme(fileList_->window());
    ui::applyWindowTheme(pendingPane_ != nullptr ? pendingPane_->window() : nullptr);
    ui::applyWindowTheme(measureBox_);
    treemapView_->setColours(&kindColours_);

    treemapView_->onNodeSelected = [this](std::int32_t node) { selectNode(node); };
    treemapView_->onZoomChanged = [this] {
        layout();
        refreshViews(false);
    };
    treemapView_->tooltipText = [this](std::int32_t node, std::int32_t hiddenCount,
                                       std::u16string& title, std::u16string& body) {
        return tooltipText(node, hiddenCount, title, body);
    };
    treemapView_->animatedZooming = [this] { return settings_.animatedZooming(); };
    panes::SelectionPanel::instance().onRowClicked = [this](std::int32_t node) {
        selectNode(node);
    };
    preparePendingDeletes();
    settings_.addSettingsListener([this, alive = std::weak_ptr<bool>(alive_)] {
        if (alive.lock()) {
            applySettings();
        }
    });
}

void MainWindow::createToolbar() {
    const HFONT font = ui::uiFont(window_, ui::FontStyle::Regular);
    const auto button = [this, font](const wchar_t* text, int id) {
        const HWND made = createChild(window_, L"BUTTON", text, BS_OWNERDRAW, id);
        SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        return made;
    };
    openButton_ = button(L"Open\u2026", ControlOpen);
    zoomOutButton_ = button(L"Zoom Out", ControlZoomOut);
    stopButton_ = button(L"Stop", ControlStop);
    refreshButton_ = button(L"Refresh", ControlRefresh);

    measureBox_ =
        createChild(window_, L"COMBOBOX", L"", WS_VSCROLL | CBS_DROPDOWNLIST, ControlMeasureBox);
    SendMessageW(measureBox_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    for (int measure = 0; measure < kMeasureCount; ++measure) {
        const std::u16string name = scan::measureName(static_cast<scan::Measure>(measure));
        SendMessageW(measureBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendMessageW(measureBox_, CB_SETCURSEL, 0, 0);
    fitMeasureListToItems();
}

void MainWindow::createTreemapView() {
    registerWindowClass(treemap::kTreemapViewClass, &treemap::TreemapView::windowProcedure,
                        nullptr);
    treemapView_ = std::make_unique<treemap::TreemapView>();
    treemapView_->create(window_, ControlTreemap);
}

void MainWindow::createFileList() {
    registerWindowClass(panes::kFileListClass, &ui::PaneWindow::windowProcedure, nullptr);
    fileList_ = std::make_unique<panes::FileListPane>();
    fileList_->create(window_, ControlFileList);
    fileList_->setColours(&kindColours_);
    fileList_->valueOf = [this](scan::NodeId node) {
        return displayedValue(static_cast<std::int32_t>(node));
    };
    fileList_->onSelectionChanged = [this](std::int32_t focus) { onListSelection(focus); };
    fileList_->onCollapseAll = [this] { fileList_->collapseAll(); };
    fileList_->onToggleKinds = [this] { command(CommandFileKindsPanel); };
}

void MainWindow::buildMenu() {
    const HMENU bar = CreateMenu();
    for (const Popup& popup : kMenuBar) {
        const HMENU menu = CreatePopupMenu();
        for (std::size_t i = 0; i < popup.count; ++i) {
            const MenuItem& item = popup.items[i];
            if (item.id == 0) {
                AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            } else {
                AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.id), item.text);
            }
        }
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), popup.title);
    }
    SetMenu(window_, bar);
}

void MainWindow::onInitMenuPopup(HMENU popup) {
    const auto check = [popup](int id, bool on) {
        CheckMenuItem(popup, static_cast<UINT>(id),
                      MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    };
    const auto enable = [popup](int id, bool on) {
        EnableMenuItem(popup, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    enable(CommandZoomOut, treemapView_ != nullptr && treemapView_->zoomDepth() > 1);
    // Greyed for the root, which is never deleted, and while nothing deletable is chosen.
    enable(CommandMoveToRecycleBin, deletableCount() > 0);
    check(CommandFileKindsPanel, settings_.showFileKindStatistics());
    check(CommandSelectionPanel, panes::SelectionPanel::instance().shown());
    check(CommandInformationPanel, panes::InformationPanel::instance().shown());
    check(CommandShowFreeSpace, settings_.showFreeSpace());
    check(CommandShowOtherSpace, settings_.showOtherSpace());
    check(CommandShowLogicalSize, !settings_.showPhysicalFileSize());
    check(CommandConsistentKindColours, settings_.consistentKindColours());
    check(CommandAnimatedZooming, settings_.animatedZooming());
    check(CommandSplitHorizontally, settings_.splitHorizontally());
    check(CommandSmallFontFiles, settings_.smallFontFiles());
    check(CommandSmallFontKinds, settings_.smallFontKinds());
    enable(CommandRestartElevated, !scan::isElevated());
}

void MainWindow::applySettings() {
    if (window_ == nullptr || treemapView_ == nullptr) {
        return;
    }
    kindColours_.setConsistent(settings_.consistentKindColours());
    kindPane_->setUseLogicalSize(!settings_.showPhysicalFileSize());
    kindPane_->setSmallFont(settings_.smallFontKinds());
    if (fileList_ != nullptr) {
        fileList_->setKindsShown(settings_.showFileKindStatistics());
        fileList_->setSmallFont(settings_.smallFontFiles());
    }
    treemap::TreemapOptions& options = treemapView_->options();
    options.useLogicalSize = !settings_.showPhysicalFileSize();
    options.spaceBlocks = buildSpaceBlocks();
    treemapView_->requestPicture();
    layout();
    refreshViews(false);
    // The panels hold the texts they were given; the size setting changes what they say.
    updateInspectors(focusNode());
}

void MainWindow::paint() {
    PAINTSTRUCT paintStruct{};
    const HDC dc = BeginPaint(window_, &paintStruct);
    paintToolbarBand(dc);
    if (treemapView_ != nullptr) {
        // What no pane covers (the splitter gaps, and the places of panes that do not exist)
        // is drawn in the line colour.
        RECT client{};
        GetClientRect(window_, &client);
        client.top = ChromeMetrics::at(ui::windowDpi(window_)).toolbarHeight;
        const HRGN uncovered = CreateRectRgnIndirect(&client);
        const HWND covering[] = {kindPane_->window(), treemapView_->window(),
                                 fileList_ != nullptr ? fileList_->window() : nullptr,
                                 pendingPane_ != nullptr ? pendingPane_->window() : nullptr,
                                 welcomeView_ != nullptr ? welcomeView_->window() : nullptr};
        for (const HWND pane : covering) {
            if (pane != nullptr && IsWindowVisible(pane)) {
                const RECT covered = clientRectOf(pane, window_);
                const HRGN paneRegion = CreateRectRgnIndirect(&covered);
                CombineRgn(uncovered, uncovered, paneRegion, RGN_DIFF);
                DeleteObject(paneRegion);
            }
        }
        FillRgn(dc, uncovered, ui::brushFor(ui::palette().line));
        DeleteObject(uncovered);
    }
    EndPaint(window_, &paintStruct);
}

void MainWindow::paintToolbarBand(HDC dc) {
    RECT client{};
    GetClientRect(window_, &client);
    const int width = client.right;
    const int height = ChromeMetrics::at(ui::windowDpi(window_)).toolbarHeight;
    const HDC buffer = toolbarBuffer_.prepare(dc, width, height);
    if (buffer == nullptr || measureBox_ == nullptr) {
        return;
    }
    const ui::Palette& colours = ui::palette();
    const RECT band{0, 0, width, height};
    FillRect(buffer, &band, ui::brushFor(colours.chromeBackground));
    const RECT line{0, height - 1, width, height};
    FillRect(buffer, &line, ui::brushFor(colours.line));
    if (!welcomeShown_) {
        const StatusArea area = statusArea();
        if (area.drawn()) {
            ui::drawLabel(buffer, statusText_, RECT{area.left, area.top, area.right, area.bottom},
                          colours.dimText, ui::uiFont(window_, ui::FontStyle::Regular),
                          DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
        }
    }
    toolbarBuffer_.present(dc, width, height);
}

StatusArea MainWindow::statusArea() const {
    const auto placeOf = [this](HWND child) {
        const RECT r = clientRectOf(child, window_);
        return PaneRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
    };
    std::vector<PaneRect> shown;
    for (const HWND button : {zoomOutButton_, stopButton_, refreshButton_}) {
        if (button != nullptr && IsWindowVisible(button)) {
            shown.push_back(placeOf(button));
        }
    }
    RECT client{};
    GetClientRect(window_, &client);
    return statusAreaOf(placeOf(measureBox_), shown, client.right, ui::windowDpi(window_));
}

void MainWindow::limitTracking(MINMAXINFO& limits) const {
    const int dpi = ui::windowDpi(window_);
    const ClientSize smallest = minimumClientSize(dpi);
    RECT frame{0, 0, smallest.width, smallest.height};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE));
    const auto extended = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE));
    // The frame at the window's own DPI arrived with Windows 10; 8.1 runs at the system's.
    using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = reinterpret_cast<AdjustForDpi>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    if (adjustForDpi != nullptr) {
        adjustForDpi(&frame, style, TRUE, extended, static_cast<UINT>(dpi));
    } else {
        AdjustWindowRectEx(&frame, style, TRUE, extended);
    }
    limits.ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
}

bool MainWindow::drawButton(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_BUTTON) {
        return false;
    }
    const ui::Palette& colours = ui::palette();
    wchar_t text[64] = {};
    GetWindowTextW(item.hwndItem, text, 64);
    const std::uint32_t face = (item.itemState & ODS_SELECTED) != 0 ? colours.line
                               : colours.dark                       ? kDarkButtonFace
                                                                    : kLightButtonFace;
    FillRect(item.hDC, &item.rcItem, ui::brushFor(face));
    if ((item.itemState & ODS_FOCUS) != 0) {
        ui::drawFrame(item.hDC, item.rcItem, colours.accent, 2);
    } else {
        ui::drawFrame(item.hDC, item.rcItem, colours.line, 1);
    }
    const std::uint32_t ink = (item.itemState & ODS_DISABLED) != 0 ? colours.dimText : colours.text;
    ui::drawLabel(item.hDC, reinterpret_cast<const char16_t*>(text), item.rcItem, ink,
                  ui::uiFont(window_, ui::FontStyle::Regular),
                  DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    return true;
}

void MainWindow::followAppearance() {
    const bool wasDark = ui::palette().dark;
    ui::loadPalette();
    if (ui::palette().dark == wasDark) {
        return;
    }
    ui::applyWindowTheme(window_);
    ui::applyWindowTheme(measureBox_);
    // Children and tool windows are not repainted with the main window.
    for (const HWND pane : {kindPane_ != nullptr ? kindPane_->window() : nullptr,
                            fileList_ != nullptr ? fileList_->window() : nullptr,
                            pendingPane_ != nullptr ? pendingPane_->window() : nullptr,
                            welcomeView_ != nullptr ? welcomeView_->window() : nullptr,
                            panes::InformationPanel::instance().window(),
                            panes::SelectionPanel::instance().window()}) {
        if (pane != nullptr) {
            ui::applyWindowTheme(pane);
            InvalidateRect(pane, nullptr, FALSE);
        }
    }
    followAppearanceInSettings();
    if (treemapView_ != nullptr) {
        // The free-space block takes its colour from the appearance.
        treemapView_->options().spaceBlocks = buildSpaceBlocks();
        treemapView_->requestPicture();
    }
    InvalidateRect(window_, nullptr, TRUE);
}

}  // namespace app
