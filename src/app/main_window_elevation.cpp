#include "app/main_window.h"

#include "app/elevation.h"
#include "ui/task_dialog_win32.h"
#include "update/running_version_win32.h"

#include <commctrl.h>

namespace app {

namespace {

constexpr int kRestartButton = 6;
constexpr int kKeepButton = 7;

}  // namespace

void MainWindow::offerElevation() {
    ElevationFacts facts;
    facts.offeredForThisScan = elevationOffered_;
    facts.offerSetting = settings_.offerElevation();
    facts.fileTableRefused = controller_.fileTableRefused();
    facts.wholeVolume = controller_.wholeVolume();
    if (!shouldOfferElevation(facts)) {
        return;
    }
    elevationOffered_ = true;

    ui::TaskDialogRequest request;
    request.owner = window_;
    request.title = u"Rozovizov";
    request.icon = TD_INFORMATION_ICON;
    request.instruction = u"This drive can be scanned much faster";
    request.content =
        u"Running as administrator lets Rozovizov read the drive's file table directly, which "
        u"scans a whole drive in seconds rather than minutes. The figures are the same either "
        u"way.";
    request.verification = u"Don't offer this again";
    request.commandLinks = true;
    request.buttons = {
        {kRestartButton,
         u"Restart as administrator\nThe same folder is scanned again straight away."},
        {kKeepButton, u"Keep the results\nNothing is rescanned."},
    };
    request.defaultButton = kKeepButton;
    const std::optional<ui::TaskDialogAnswer> answer = ui::showTaskDialog(request);
    if (!answer) {
        return;
    }
    if (answer->verified) {
        settings_.setOfferElevation(false);
    }
    if (answer->button == kRestartButton) {
        restartElevated();
    }
}

void MainWindow::restartElevated() {
    const std::u16string program = update::programPath();
    // The controller keeps the last root after the results are closed; from the start page the
    // new instance opens on its start page too.
    const std::u16string root = welcomeShown_ ? std::u16string() : controller_.rootPath();
    if (program.empty() || !launchers_.runElevated ||
        !launchers_.runElevated(program, restartParameters(root))) {
        return;
    }
    PostMessageW(window_, WM_CLOSE, 0, 0);
}

}  // namespace app
