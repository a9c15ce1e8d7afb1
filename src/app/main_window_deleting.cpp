#include "app/main_window.h"

#include "app/commands.h"
#include "app/window_classes.h"
#include "deleting/deleting_texts.h"
#include "deleting/leaving_dialog_win32.h"
#include "deleting/recycle_bin_win32.h"
#include "scan/wide_text_win32.h"

namespace app {

void MainWindow::createPendingPane() {
    registerWindowClass(deleting::kPendingPaneClass, &deleting::PendingPane::windowProcedure,
                        nullptr);
    pendingPane_ = std::make_unique<deleting::PendingPane>();
    pendingPane_->create(window_, ControlPendingPane, &pending_);
}

void MainWindow::preparePendingDeletes() {
    pending_.recycle = [this](const deleting::PendingItem& item) {
        return deleting::recycleToBin(window_, item.path, item.bytes);
    };
    pending_.refusal = [](const std::u16string& path, std::int64_t bytes) {
        return deleting::recycleRefusalOf(path, bytes);
    };
    pending_.changed = [this] { onPendingChanged(); };
    pending_.reported = [this](const std::vector<deleting::DeleteReport>& reports) {
        showDeleteReports(reports);
    };
    // A refresh rewrites rows that pending records point into: nothing is put back meanwhile.
    pending_.busy = [this] { return controller_.running(); };
    pendingPane_->onDeleteNow = [this] { confirmDeleteNow(); };
}

void MainWindow::onPendingChanged() {
    if (window_ == nullptr) {
        return;
    }
    if (pending_.empty()) {
        KillTimer(window_, kPendingTimer);
    } else {
        SetTimer(window_, kPendingTimer, kPendingTimerMilliseconds, nullptr);
    }
    pendingPane_->recount();
    InvalidateRect(pendingPane_->window(), nullptr, FALSE);
    layout();
    refreshViews(false);
    readFoldersFromDisk();
}

void MainWindow::showDeleteReports(const std::vector<deleting::DeleteReport>& reports) {
    const std::u16string text = deleting::reportText(reports);
    if (window_ == nullptr || text.empty()) {
        return;
    }
    // One message at a time: the countdown holds while it is read, so items that run out
    // meanwhile cannot open a second one on top.
    const bool wasPaused = pending_.paused();
    pending_.setPaused(true);
    MessageBoxW(window_, scan::wide(text), kProgramName, MB_ICONERROR);
    pending_.setPaused(wasPaused);
    readFoldersFromDisk();
}

void MainWindow::readFoldersFromDisk() {
    if (window_ == nullptr || controller_.running() ||
        pending_.scanner() != controller_.scanner()) {
        return;
    }
    const std::int32_t folder = pending_.takeFolderToRead();
    if (folder >= 0) {
        refreshFolderFromDisk(folder);
    }
}

void MainWindow::onPendingTick() {
    // Items that ran out have been counted out already, through the change notice; the discs
    // of the others moved on.
    if (pending_.tick()) {
        InvalidateRect(pendingPane_->window(), nullptr, FALSE);
    }
}

std::vector<std::int32_t> MainWindow::selectedNodes() const {
    return fileList_ != nullptr ? fileList_->selectedNodes() : std::vector<std::int32_t>{};
}

std::size_t MainWindow::deletableCount() const {
    const scan::Scanner* scanner = controller_.scanner();
    if (scanner == nullptr || controller_.running()) {
        return 0;
    }
    return deleting::deletionOrder(*scanner, selectedNodes()).size();
}

void MainWindow::moveSelectionToRecycleBin() {
    moveToRecycleBin(selectedNodes());
}

void MainWindow::moveToRecycleBin(const std::vector<std::int32_t>& nodes) {
    scan::Scanner* scanner = controller_.scanner();
    if (scanner == nullptr || controller_.running()) {
        return;
    }
    pending_.setScanner(scanner);
    const scan::NodeStore& store = scanner->store();
    pending_.changeTogether([&] {
        for (const std::int32_t node : deleting::deletionOrder(*scanner, nodes)) {
            const auto row = static_cast<scan::NodeId>(node);
            pending_.addPending(node, store.pathOf(row, u'\\'), store.nameOf(row),
                                scan::measureValue(store, row, measure_, true));
        }
    });
    // The removed nodes have no picture and no row any more, so they cannot stay selected.
    treemapView_->setSelectedNode(-1);
    fileList_->refresh();
}

bool MainWindow::settleBeforeLeaving(const std::function<void()>& continuation) {
    if (pending_.empty()) {
        return true;
    }
    pending_.setPaused(true);
    const deleting::LeavingChoice choice =
        deleting::askBeforeLeaving(window_, pending_.items().size());
    pending_.setPaused(false);
    switch (choice) {
        case deleting::LeavingChoice::DeleteThem:
            pending_.deleteAllNow();
            break;
        case deleting::LeavingChoice::PutThemBack:
            pending_.undeleteAll();
            break;
        case deleting::LeavingChoice::Cancel:
            return false;
    }
    // Items still listed (the store was busy) point into the scan that would be left: the leave
    // is cancelled rather than leave them pointing at a released scan.
    if (pending_.empty()) {
        continuation();
    }
    return false;
}

void MainWindow::leaveThen(const std::function<void()>& continuation) {
    if (settleBeforeLeaving(continuation)) {
        continuation();
    }
}

void MainWindow::confirmDeleteNow() {
    if (pending_.empty()) {
        return;
    }
    const std::u16string text = deleting::deleteNowText(pending_.items().size());
    // Items must not reach the bin while the user is still deciding about them.
    pending_.setPaused(true);
    const int answer = MessageBoxW(window_, scan::wide(text), L"Delete now?",
                                   MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2);
    pending_.setPaused(false);
    if (answer == IDOK) {
        pending_.deleteAllNow();
    }
}

}  // namespace app
