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
    pending_.recycle = [this](const std::u16string& path, std::int64_t bytes,
                              std::u16string& reason) {
        return deleting::recycleToBin(window_, path, bytes, reason);
    };
    pending_.changed = [this] { onPendingChanged(); };
    pending_.failed = [this](const std::u16string& path, const std::u16string& reason) {
        MessageBoxW(window_, scan::wide(deleting::failureText(path, reason)), kProgramName,
                    MB_ICONERROR);
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
            continuation();
            break;
        case deleting::LeavingChoice::PutThemBack:
            pending_.undeleteAll();
            continuation();
            break;
        case deleting::LeavingChoice::Cancel:
            break;
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
    if (MessageBoxW(window_, scan::wide(text), L"Delete now?",
                    MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2) == IDOK) {
        pending_.deleteAllNow();
    }
}

}  // namespace app
