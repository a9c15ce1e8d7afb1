#include "app/main_window.h"

#include "ui/task_dialog_win32.h"
#include "update/product_site.h"
#include "update/running_version_win32.h"
#include "update/update_answer.h"
#include "update/update_texts.h"
#include "update/update_worker_win32.h"
#include "update/version_service_win32.h"

#include <commctrl.h>

#include <ctime>

namespace app {

namespace {

constexpr int kDownloadLink = 6;

const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

}  // namespace

void MainWindow::onUpdateFound() {
    updateNotice_ = update::updateNotice(updates_, std::time(nullptr));
    if (welcomeView_ != nullptr) {
        welcomeView_->setUpdateBanner(updateNotice_.message, updateNotice_.downloadAddress);
    }
}

void MainWindow::openDownload(const std::u16string& address) {
    if (!launchers_.openAddress) {
        return;
    }
    // The address came over the network: whatever stored it, only a web address reaches the
    // shell, which would as readily run a program or open a share.
    const bool serviceIsHttp = !update::serviceAddressFromEnvironment().secure;
    launchers_.openAddress(window_, update::openableAddress(address, serviceIsHttp));
}

void MainWindow::showAbout() {
    update::startUpdateCheck(updates_, window_);
    const update::UpdateResult* result = updates_.result();

    ui::TaskDialogRequest request;
    request.owner = window_;
    request.title = update::aboutTitle();
    request.icon = TD_INFORMATION_ICON;
    request.instruction = update::kProductName;
    request.content = update::aboutContent();
    request.footer = update::aboutFooter(update::runningVersion());
    request.closeButton = true;
    if (result != nullptr) {
        request.commandLinks = true;
        request.buttons.push_back({kDownloadLink, update::aboutLinkText(update::updateMessage(
                                                      *result, std::time(nullptr)))});
    }
    const std::optional<ui::TaskDialogAnswer> answer = ui::showTaskDialog(request);
    if (answer && answer->button == kDownloadLink && result != nullptr) {
        openDownload(result->downloadAddress);
    }
}

void MainWindow::checkForUpdates() {
    if (updates_.started() && !updates_.done()) {
        // A check that runs is not doubled; the user asks again for its answer.
        MessageBoxW(window_,
                    wide(update::checkingMessage(update::serviceAddressFromEnvironment().host)),
                    kProgramName, MB_ICONINFORMATION);
        return;
    }
    // No check yet, or one that failed (the network was down at start-up, say): the service is
    // asked now, and the answer shows once it is in. An answer the service gave stands for the
    // run.
    if (!updates_.started() || !updates_.failure().empty()) {
        update::checkAgain(updates_, window_);
        updateAnswerWanted_ = true;
        return;
    }
    showUpdateAnswer();
}

void MainWindow::onUpdateChecked() {
    if (!updateAnswerWanted_ || !updates_.done()) {
        return;
    }
    updateAnswerWanted_ = false;
    showUpdateAnswer();
}

void MainWindow::showUpdateAnswer() {
    const update::UpdateResult* result = updates_.result();
    if (result == nullptr) {
        const std::u16string& failure = updates_.failure();
        const std::u16string text = failure.empty()
                                        ? update::latestReleaseMessage(update::runningVersion())
                                        : update::checkFailedMessage(failure);
        MessageBoxW(window_, wide(text), kProgramName,
                    failure.empty() ? MB_ICONINFORMATION : MB_ICONWARNING);
        return;
    }
    const std::u16string question =
        update::downloadQuestion(update::updateMessage(*result, std::time(nullptr)));
    if (MessageBoxW(window_, wide(question), kProgramName, MB_ICONINFORMATION | MB_YESNO) ==
        IDYES) {
        openDownload(result->downloadAddress);
    }
}

}  // namespace app
