#include "app/main_window.h"

#include "app/commands.h"
#include "update/update_worker_win32.h"

#include <windowsx.h>

namespace app {

namespace {

// The menu items that switch a setting: each writes the opposite of what it reads, and the
// settings listener then applies it.
struct Toggle {
    int id;
    settings::Setting setting;
};

constexpr Toggle kToggles[] = {
    {CommandFileKindsPanel, settings::Setting::ShowFileKindStatistics},
    {CommandShowFreeSpace, settings::Setting::ShowFreeSpace},
    {CommandShowOtherSpace, settings::Setting::ShowOtherSpace},
    {CommandShowLogicalSize, settings::Setting::ShowPhysicalFileSize},
    {CommandConsistentKindColours, settings::Setting::ConsistentKindColours},
    {CommandAnimatedZooming, settings::Setting::AnimatedZooming},
    {CommandSplitHorizontally, settings::Setting::SplitHorizontally},
    {CommandSmallFontFiles, settings::Setting::SmallFontFiles},
    {CommandSmallFontKinds, settings::Setting::SmallFontKinds},
};

}  // namespace

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_SIZE:
            layout();
            return 0;
        case WM_GETMINMAXINFO:
            limitTracking(*reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_CLOSE:
            onClose();
            return 0;
        case WM_SETTINGCHANGE:
            followAppearance();
            return 0;
        case WM_SETCURSOR:
            if (onSetCursor(reinterpret_cast<HWND>(wParam))) {
                return TRUE;
            }
            return DefWindowProcW(window_, message, wParam, lParam);
        case WM_DRAWITEM:
            if (drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) {
                return TRUE;
            }
            return DefWindowProcW(window_, message, wParam, lParam);
        case WM_CONTEXTMENU:
            onContextMenu(reinterpret_cast<HWND>(wParam), lParam);
            return 0;
        case WM_ACTIVATE:
            onActivate(wParam);
            return 0;
        case WM_SETFOCUS:
            // The frame itself takes no keys: they belong to a pane.
            SetFocus(defaultFocus());
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == ControlMeasureBox) {
                if (HIWORD(wParam) == CBN_SELCHANGE) {
                    onMeasureChanged();
                }
                return 0;
            }
            command(LOWORD(wParam));
            return 0;
        case WM_TIMER:
            if (wParam == scan::kProgressTimer) {
                onProgressTick();
            } else if (wParam == kPendingTimer) {
                onPendingTick();
            }
            return 0;
        case WM_INITMENUPOPUP:
            onInitMenuPopup(reinterpret_cast<HMENU>(wParam));
            return 0;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            onMouse(message, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_CAPTURECHANGED:
            // A window that takes the mouse mid-drag (a dialog, say) ends the drag, so the
            // splitter does not stay glued to the mouse.
            if (reinterpret_cast<HWND>(lParam) != window_) {
                layout_.endDrag();
            }
            return 0;
        case WM_DPICHANGED:
            onDpiChanged(*reinterpret_cast<const RECT*>(lParam));
            return 0;
        case scan::kScanEndedMessage:
            onScanEnded(static_cast<std::uint32_t>(wParam));
            return 0;
        case update::kUpdateFoundMessage:
            onUpdateFound();
            return 0;
        case update::kUpdateCheckedMessage:
            onUpdateChecked();
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void MainWindow::command(int id) {
    for (const Toggle& toggle : kToggles) {
        if (toggle.id == id) {
            settings_.write(toggle.setting, !settings_.read(toggle.setting));
            return;
        }
    }
    switch (id) {
        case CommandOpen:
        case ControlOpen:
            leaveThen([this] { closeScan(); });
            break;
        case CommandRefreshEverything:
        case ControlRefresh:
            // Pending records point into the scan that this replaces, so they are settled first.
            if (!controller_.running() && !controller_.rootPath().empty()) {
                leaveThen([this] {
                    const std::u16string root = controller_.rootPath();
                    openScan(root);
                });
            }
            break;
        case CommandRefreshFolder:
            // A folder refresh rebuilds rows that pending records may point into.
            if (!controller_.running()) {
                leaveThen([this] { refreshFolder(); });
            }
            break;
        case CommandMoveToRecycleBin:
            moveSelectionToRecycleBin();
            break;
        case CommandStopScanning:
        case ControlStop:
            if (controller_.running()) {
                controller_.stopScan();
                EnableWindow(stopButton_, FALSE);
                SetWindowTextW(stopButton_, L"Stopping\u2026");
            }
            break;
        case CommandSettings:
            showSettings();
            break;
        case CommandExit:
            PostMessageW(window_, WM_CLOSE, 0, 0);
            break;
        case CommandCopyPath:
            if (const std::int32_t focus = focusNode(); focus >= 0) {
                copyPath(
                    controller_.scanner()->store().pathOf(static_cast<scan::NodeId>(focus), u'\\'));
            }
            break;
        case CommandShowInExplorer:
            if (const std::int32_t focus = focusNode(); focus >= 0) {
                showInFileManager(
                    controller_.scanner()->store().pathOf(static_cast<scan::NodeId>(focus), u'\\'));
            }
            break;
        case CommandZoomIn:
            if (const std::int32_t focus = focusNode(); focus >= 0) {
                const scan::NodeStore& store = controller_.scanner()->store();
                const auto node = static_cast<scan::NodeId>(focus);
                treemapView_->zoomIn(static_cast<std::int32_t>(
                    store.hasFlag(node, scan::FlagFolder) ? node : store.parent.get(node)));
            }
            break;
        case CommandCollapseAll:
            fileList_->collapseAll();
            break;
        case CommandSelectParent:
            if (const std::int32_t focus = focusNode(); focus >= 1) {
                selectNode(static_cast<std::int32_t>(
                    controller_.scanner()->store().parent.get(static_cast<scan::NodeId>(focus))));
            }
            break;
        case CommandZoomOut:
        case ControlZoomOut:
            treemapView_->zoomOut();
            break;
        case CommandZoomToTop:
            treemapView_->zoomToTop();
            break;
        case CommandSelectionPanel:
            toggleSelectionPanel();
            break;
        case CommandInformationPanel:
            toggleInformationPanel();
            break;
        case CommandAbout:
            showAbout();
            break;
        case CommandRestartElevated:
            restartElevated();
            break;
        case CommandCheckForUpdates:
            checkForUpdates();
            break;
        default:
            break;
    }
}

void MainWindow::onMeasureChanged() {
    const auto chosen = static_cast<unsigned>(SendMessageW(measureBox_, CB_GETCURSEL, 0, 0));
    if (chosen > static_cast<unsigned>(scan::MeasureAddedSinceScan)) {
        return;
    }
    if (chosen == static_cast<unsigned>(scan::MeasureAddedSinceScan) &&
        controller_.previousScan() == 0) {
        // Nothing to compare with: the box goes back to the measure in force.
        SendMessageW(measureBox_, CB_SETCURSEL, static_cast<WPARAM>(measure_), 0);
        return;
    }
    measure_ = static_cast<scan::Measure>(chosen);
    treemapView_->options().measure = static_cast<std::int32_t>(measure_);
    treemapView_->requestPicture();
    kindPane_->setMeasure(measure_);
    fileList_->setMeasure(measure_);
    treemapView_->zoomToTop();
    // The list kept its selection and revealed it; the treemap shows the same item.
    treemapView_->setSelectedNode(fileList_->focus());
    fileList_->setValueHeader(measure_ == scan::MeasureCurrentSize ? u"Size"
                                                                   : scan::measureName(measure_));
    refreshViews(false);
}

void MainWindow::onClose() {
    leaveThen([this] {
        detachScanFromPanes();
        controller_.discardScan();
        DestroyWindow(window_);
    });
}

}  // namespace app
