#include "deleting/leaving_dialog_win32.h"

#include "deleting/deleting_texts.h"
#include "ui/task_dialog_win32.h"

#include <commctrl.h>

#include <optional>

namespace deleting {

LeavingChoice askBeforeLeaving(HWND owner, std::size_t count) {
    ui::TaskDialogRequest request;
    request.owner = owner;
    request.title = u"Rozovizov";
    request.icon = TD_WARNING_ICON;
    request.instruction = u"Pending deletes";
    request.content = leavingText(count);
    request.commandLinks = true;
    request.cancelButton = true;
    request.buttons = {
        {kDeleteThemButton, u"Delete Them\nMove them to the Recycle Bin now."},
        {kPutThemBackButton, u"Put Them Back\nRestore every one of them."},
    };
    request.defaultButton = kDeleteThemButton;
    const std::optional<ui::TaskDialogAnswer> answer = ui::showTaskDialog(request);
    if (!answer) {
        return LeavingChoice::Cancel;
    }
    switch (answer->button) {
        case kDeleteThemButton:
            return LeavingChoice::DeleteThem;
        case kPutThemBackButton:
            return LeavingChoice::PutThemBack;
        default:
            return LeavingChoice::Cancel;
    }
}

}  // namespace deleting
