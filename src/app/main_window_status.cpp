#include "app/main_window.h"

#include "app/commands.h"
#include "app/measure_box.h"
#include "app/status_text.h"
#include "app/treemap_tooltip.h"
#include "scan/folder_walk.h"
#include "scan/wide_text_win32.h"
#include "ui/drawing_win32.h"
#include "ui/theme_win32.h"

#include <algorithm>
#include <thread>

namespace app {

namespace {

// Room around the text of an item in the measure box's opened list, at 96 DPI.
constexpr int kMeasureListMargins = 12;

// Script support: when ROZOVIZOV_SCAN_END_FILE names a file that does not exist, it is made once
// a scan has ended and the window has been painted, so a script that shows the window can tell
// when to take its picture. A file already there is left alone: the variable must never become
// a way to empty a file of the user's.
void announceScanEnd(HWND window) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"ROZOVIZOV_SCAN_END_FILE", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return;
    }
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
}

// A scan lists with all but two hardware threads and commits on one more; on a machine of one
// or two hardware threads that leaves the pictures no core of their own.
bool scanTakesEveryCore() {
    const unsigned hardware = std::thread::hardware_concurrency();
    return scan::listingThreadCount(0, hardware) + 1 >= hardware;
}

void show(HWND control, bool shown) {
    ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
}

}  // namespace

void MainWindow::openScan(const std::u16string& path) {
    clearInspectors();
    SetWindowTextW(window_, scan::wide(u"Rozovizov \u2014 " + path));
    welcomeShown_ = false;
    elevationOffered_ = false;
    treemapView_->setStore(nullptr);
    detachScanFromPanes();
    treemapView_->schedule().resetForScan(scanTakesEveryCore());
    treemapView_->setRecycling(true);
    EnableWindow(stopButton_, TRUE);
    SetWindowTextW(stopButton_, L"Stop");
    controller_.startScan(path);
    kindPane_->setScanner(controller_.scanner());
    treemapView_->setStore(controller_.scanner()->sharedStore());
    // The root row names the root as the rest of the program does, not as it was typed.
    fileList_->attach(&controller_.scanner()->store(), controller_.rootPath());
    layout();
    refreshViews(false);
    giveFocusTo(fileList_->window());
}

void MainWindow::closeScan() {
    if (welcomeShown_) {
        return;
    }
    detachScanFromPanes();
    controller_.discardScan();
    // A scan left while it ran never reports its end: the spare picture goes here.
    treemapView_->setRecycling(false);
    treemapView_->setStore(nullptr);
    clearInspectors();
    SetWindowTextW(window_, L"Rozovizov");
    welcomeShown_ = true;
    if (welcomeView_ != nullptr) {
        welcomeView_->reloadPlaces();
    }
    layout();
    refreshViews(false);
    giveFocusTo(defaultFocus());
}

void MainWindow::detachScanFromPanes() {
    // The folders a delete found changed belong to this scan; a later scanner may even take the
    // same address, so the list forgets it here rather than compare pointers later.
    pending_.setScanner(nullptr);
    if (kindPane_ != nullptr) {
        kindPane_->setScanner(nullptr);
    }
    if (fileList_ != nullptr) {
        fileList_->attach(nullptr, u"");
    }
}

void MainWindow::refreshViews(bool fromTimer) {
    if (treemapView_ == nullptr) {
        return;
    }
    if (welcomeShown_) {
        for (const HWND control :
             {openButton_, measureBox_, zoomOutButton_, stopButton_, refreshButton_}) {
            show(control, false);
        }
        treemapView_->setNotice({});
        InvalidateRect(window_, nullptr, FALSE);
        keepFocusShown();
        return;
    }
    show(openButton_, true);
    show(measureBox_, true);
    show(refreshButton_, true);
    updateMeasureBox();

    const scan::Scanner* scanner = controller_.scanner();
    if (!settings_.consistentKindColours() && scanner != nullptr) {
        kindColours_.rankKinds(scan::kindTotals(scanner->kindTotals(), measure_, false));
    }
    kindPane_->reloadRows();

    // The blocks follow the drive of this scan and the root as it grows, so they are made anew
    // before every picture.
    treemapView_->options().spaceBlocks = buildSpaceBlocks();
    if (!fromTimer || treemapView_->schedule().claimTimedRebuild(GetTickCount64())) {
        treemapView_->requestPicture();
    }

    fileList_->setGeneration(static_cast<std::int32_t>(controller_.generation()));

    const bool running = controller_.running();
    show(zoomOutButton_, treemapView_->zoomDepth() > 1);
    show(stopButton_, running);
    EnableWindow(refreshButton_, running ? FALSE : TRUE);
    // Stop goes when the scan ends, perhaps with the focus on it.
    keepFocusShown();

    const StatusFacts facts = statusFactsOf(controller_, measure_);
    statusText_ = app::statusText(facts);
    treemapView_->setNotice(treemapNotice(facts));
    InvalidateRect(window_, nullptr, FALSE);
}

void MainWindow::updateMeasureBox() {
    const std::u16string wanted =
        measureItemText(scan::MeasureAddedSinceScan, controller_.previousScan());
    const LRESULT selected = SendMessageW(measureBox_, CB_GETCURSEL, 0, 0);
    wchar_t shown[128] = {};
    const LRESULT length =
        SendMessageW(measureBox_, CB_GETLBTEXTLEN, scan::MeasureAddedSinceScan, 0);
    if (length >= 0 && length < 128) {
        SendMessageW(measureBox_, CB_GETLBTEXT, scan::MeasureAddedSinceScan,
                     reinterpret_cast<LPARAM>(shown));
    }
    if (wanted == reinterpret_cast<const char16_t*>(shown)) {
        return;
    }
    SendMessageW(measureBox_, CB_DELETESTRING, scan::MeasureAddedSinceScan, 0);
    SendMessageW(measureBox_, CB_INSERTSTRING, scan::MeasureAddedSinceScan,
                 reinterpret_cast<LPARAM>(wanted.c_str()));
    SendMessageW(measureBox_, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    fitMeasureListToItems();
}

void MainWindow::fitMeasureListToItems() {
    // The box keeps its width in the toolbar; its opened list grows so that a long item such as
    // "Added Since Last Scan (no previous scan)" reads whole.
    const ui::TextMeasure measure(
        measureBox_, reinterpret_cast<HFONT>(SendMessageW(measureBox_, WM_GETFONT, 0, 0)));
    int widest = 0;
    const auto count = static_cast<int>(SendMessageW(measureBox_, CB_GETCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        wchar_t text[128] = {};
        const LRESULT length = SendMessageW(measureBox_, CB_GETLBTEXTLEN, item, 0);
        if (length <= 0 || length >= 128) {
            continue;
        }
        SendMessageW(measureBox_, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text));
        widest = std::max(widest, measure.width({reinterpret_cast<const char16_t*>(text),
                                                 static_cast<std::size_t>(length)}));
    }
    const int margins = 2 * GetSystemMetrics(SM_CXEDGE) + ui::scaled(window_, kMeasureListMargins);
    SendMessageW(measureBox_, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(widest + margins), 0);
}

std::vector<treemap::SpaceBlock> MainWindow::buildSpaceBlocks() const {
    if (controller_.scanner() == nullptr) {
        return {};
    }
    treemap::SpaceBlockSwitches switches;
    switches.showFreeSpace = settings_.showFreeSpace();
    switches.showOtherSpace = settings_.showOtherSpace();
    switches.darkAppearance = ui::palette().dark;
    return treemap::spaceBlocksFor(driveSpaceOf(controller_), switches);
}

bool MainWindow::tooltipText(std::int32_t node, std::int32_t hiddenCount, std::u16string& title,
                             std::u16string& body) const {
    TooltipFacts facts;
    const scan::Scanner* scanner = controller_.scanner();
    facts.store = scanner != nullptr ? &scanner->store() : nullptr;
    facts.space = driveSpaceOf(controller_);
    facts.measure = measure_;
    facts.physicalSizes = settings_.showPhysicalFileSize();
    const std::optional<Tooltip> tooltip = treemapTooltip(facts, node, hiddenCount);
    if (!tooltip) {
        return false;
    }
    title = tooltip->title;
    body = tooltip->body;
    return true;
}

void MainWindow::onProgressTick() {
    if (controller_.running()) {
        controller_.bumpGeneration();
        refreshViews(true);
    }
}

void MainWindow::onScanEnded(std::uint32_t work) {
    if (work != controller_.work() || controller_.running() || controller_.scanner() == nullptr) {
        return;
    }
    // Pictures no longer follow each other closely: the spare one goes.
    treemapView_->setRecycling(false);
    refreshViews(false);
    SetWindowTextW(stopButton_, L"Stop");
    EnableWindow(stopButton_, TRUE);
    announceScanEnd(window_);
    offerElevation();
    // A delete that found the disk changed may wait for more than one folder to be read again.
    readFoldersFromDisk();
}

}  // namespace app
