#include "ui/task_dialog_win32.h"

#include <commctrl.h>

namespace ui {

namespace {

using TaskDialogIndirectFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Taken by ordinal from the loaded common controls: only their version 6, which the program's
// manifest asks for, has it, and the older ones must not keep the program from starting.
TaskDialogIndirectFunction taskDialogIndirect() {
    constexpr WORD kOrdinal = 345;
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    if (controls == nullptr) {
        controls = LoadLibraryW(L"comctl32.dll");
    }
    if (controls == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<TaskDialogIndirectFunction>(
        reinterpret_cast<void*>(GetProcAddress(controls, MAKEINTRESOURCEA(kOrdinal))));
}

const wchar_t* textOrNull(const std::u16string& text) {
    return text.empty() ? nullptr : reinterpret_cast<const wchar_t*>(text.c_str());
}

}  // namespace

std::optional<TaskDialogAnswer> showTaskDialog(const TaskDialogRequest& request) {
    const TaskDialogIndirectFunction show = taskDialogIndirect();
    if (show == nullptr) {
        return std::nullopt;
    }
    std::vector<TASKDIALOG_BUTTON> buttons;
    buttons.reserve(request.buttons.size());
    for (const TaskDialogButton& button : request.buttons) {
        buttons.push_back({button.id, reinterpret_cast<const wchar_t*>(button.text.c_str())});
    }
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = request.owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
    if (request.commandLinks) {
        config.dwFlags |= TDF_USE_COMMAND_LINKS;
    }
    config.dwCommonButtons = (request.closeButton ? TDCBF_CLOSE_BUTTON : 0) |
                             (request.cancelButton ? TDCBF_CANCEL_BUTTON : 0);
    config.pszWindowTitle = textOrNull(request.title);
    config.pszMainIcon = request.icon;
    config.pszMainInstruction = textOrNull(request.instruction);
    config.pszContent = textOrNull(request.content);
    config.pszFooter = textOrNull(request.footer);
    config.pszVerificationText = textOrNull(request.verification);
    config.cButtons = static_cast<UINT>(buttons.size());
    config.pButtons = buttons.empty() ? nullptr : buttons.data();
    config.nDefaultButton = request.defaultButton;
    int button = 0;
    BOOL verified = FALSE;
    if (FAILED(show(&config, &button, nullptr, &verified))) {
        return std::nullopt;
    }
    return TaskDialogAnswer{button, verified != FALSE};
}

}  // namespace ui
