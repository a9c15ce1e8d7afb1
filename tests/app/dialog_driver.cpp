#include "dialog_driver.h"

#include <commctrl.h>

namespace app::windowtest {

namespace {

// The innermost driver answers: the timer's procedure has no room for an object.
DialogDriver* current = nullptr;

std::wstring textOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

BOOL CALLBACK findDialog(HWND window, LPARAM found) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (IsWindowVisible(window) && std::wstring_view(className) == L"#32770") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK collectText(HWND window, LPARAM texts) {
    const std::wstring text = textOf(window);
    if (!text.empty()) {
        reinterpret_cast<std::vector<std::wstring>*>(texts)->push_back(text);
    }
    return TRUE;
}

}  // namespace

bool SeenDialog::shows(std::wstring_view part) const {
    for (const std::wstring& text : texts) {
        if (text.find(part) != std::wstring::npos) {
            return true;
        }
    }
    return false;
}

DialogDriver::DialogDriver(std::function<void(HWND dialog)> answer) : answer_(std::move(answer)) {
    previous_ = current;
    current = this;
    timer_ = SetTimer(nullptr, 0, 50, &DialogDriver::tick);
}

DialogDriver::~DialogDriver() {
    KillTimer(nullptr, timer_);
    current = previous_;
}

void CALLBACK DialogDriver::tick(HWND, UINT, UINT_PTR, DWORD) {
    if (current != nullptr) {
        current->look();
    }
}

void DialogDriver::look() {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &findDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr || dialog == answered_) {
        if (dialog == nullptr) {
            answered_ = nullptr;
        }
        return;
    }
    answered_ = dialog;
    SeenDialog seen;
    seen.caption = textOf(dialog);
    EnumChildWindows(dialog, &collectText, reinterpret_cast<LPARAM>(&seen.texts));
    seen_.push_back(std::move(seen));
    if (answer_) {
        answer_(dialog);
    }
}

std::function<void(HWND)> DialogDriver::pressTaskButton(int id, bool tickCheckBox) {
    return [id, tickCheckBox](HWND dialog) {
        if (tickCheckBox) {
            SendMessageW(dialog, TDM_CLICK_VERIFICATION, TRUE, FALSE);
        }
        PostMessageW(dialog, TDM_CLICK_BUTTON, static_cast<WPARAM>(id), 0);
    };
}

std::function<void(HWND)> DialogDriver::pressMessageBoxButton(int id) {
    return [id](HWND dialog) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); };
}

}  // namespace app::windowtest
