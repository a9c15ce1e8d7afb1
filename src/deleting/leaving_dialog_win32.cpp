#include "deleting/leaving_dialog_win32.h"

#include "deleting/deleting_texts.h"
#include "scan/wide_text_win32.h"

#include <commctrl.h>

#include <string>

namespace deleting {

namespace {

using TaskDialogFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Imported by ordinal so that the program also starts where version 6 of the common controls is
// not activated; there the dialog is simply not shown.
TaskDialogFunction taskDialog() {
    const HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    if (controls == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<TaskDialogFunction>(
        reinterpret_cast<void*>(GetProcAddress(controls, MAKEINTRESOURCEA(345))));
}

}  // namespace

LeavingChoice askBeforeLeaving(HWND owner, std::size_t count) {
    const TaskDialogFunction show = taskDialog();
    if (show == nullptr) {
        return LeavingChoice::Cancel;
    }
    const std::u16string content = leavingText(count);
    const TASKDIALOG_BUTTON buttons[] = {
        {kDeleteThemButton, L"Delete Them\nMove them to the Recycle Bin now."},
        {kPutThemBackButton, L"Put Them Back\nRestore every one of them."},
    };
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_USE_COMMAND_LINKS;
    config.dwCommonButtons = TDCBF_CANCEL_BUTTON;
    config.pszWindowTitle = L"Rozovizov";
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszMainInstruction = L"Pending deletes";
    config.pszContent = scan::wide(content);
    config.cButtons = 2;
    config.pButtons = buttons;
    config.nDefaultButton = kDeleteThemButton;
    int pressed = 0;
    if (FAILED(show(&config, &pressed, nullptr, nullptr))) {
        return LeavingChoice::Cancel;
    }
    switch (pressed) {
        case kDeleteThemButton:
            return LeavingChoice::DeleteThem;
        case kPutThemBackButton:
            return LeavingChoice::PutThemBack;
        default:
            return LeavingChoice::Cancel;
    }
}

}  // namespace deleting
