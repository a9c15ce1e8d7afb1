#pragma once

// Answers the modal dialogs that the window under test opens on this thread, as a user would: a
// thread timer fires inside their modal loops, finds each dialog as it appears, records its
// texts and its default button, and presses the button that the test chooses. Windows only.

#include "window_harness.h"

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace harness {

struct SeenDialog {
    std::wstring caption;
    std::wstring texts;  // the texts of all its controls, one per line
    int defaultButton = 0;
    int focusedButton = 0;  // the control with the keyboard focus when it was seen
    // The dialog itself, for an answer that acts on it before choosing (a task dialog's check
    // box, say); valid only while the answer runs.
    HWND window = nullptr;

    // Whether some control's text contains `part`.
    bool shows(std::wstring_view part) const { return texts.find(part) != std::wstring::npos; }
};

// An answer that presses Enter on the keyboard instead of a button, so that the dialog's own
// default decides.
inline constexpr int kPressEnter = -1;
// An answer that closes the dialog the way that does least: Cancel, else No, else OK.
inline constexpr int kDismiss = -2;
// An answer that closes the dialog with its caption's close box, as the window menu's Close does.
inline constexpr int kCloseBox = -3;

// Ticks the check box under a task dialog's buttons, as a click on it would.
inline void tickTaskDialogCheckBox(const SeenDialog& dialog) {
    SendMessageW(dialog.window, TDM_CLICK_VERIFICATION, TRUE, FALSE);
}

// Notes the first visible edit box among a dialog's controls.
inline BOOL CALLBACK findVisibleEdit(HWND child, LPARAM found) {
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    if (lstrcmpiW(name, L"Edit") == 0 && IsWindowVisible(child)) {
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
    }
    return TRUE;
}

// Types `text` into the dialog's first visible edit box, replacing what it held, as a user
// typing a name would: the name box of the system's folder picker, say, before its OK. Answers
// whether the dialog had such a box.
inline bool typeIntoEditBox(const SeenDialog& dialog, const std::wstring& text) {
    HWND edit = nullptr;
    EnumChildWindows(dialog.window, &findVisibleEdit, reinterpret_cast<LPARAM>(&edit));
    return edit != nullptr && SetWindowTextW(edit, text.c_str()) != 0;
}

class DialogAnswerer {
  public:
    // Given what a dialog shows, the id of the button to press (0 leaves it open for now).
    using Answer = std::function<int(const SeenDialog& dialog)>;

    // The newest answerer answers; when it goes, the one before it answers again.
    explicit DialogAnswerer(Answer answer) : answer_(std::move(answer)), previous_(current_) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 20, &DialogAnswerer::onTimer);
    }
    ~DialogAnswerer() {
        KillTimer(nullptr, timer_);
        current_ = previous_;
    }
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    const std::vector<SeenDialog>& seen() const { return seen_; }

  private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD) {
        if (current_ != nullptr) {
            EnumThreadWindows(GetCurrentThreadId(), &DialogAnswerer::visit,
                              reinterpret_cast<LPARAM>(current_));
        }
    }

    static BOOL CALLBACK visit(HWND window, LPARAM self) {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (std::wstring(name) == L"#32770" && IsWindowVisible(window)) {
            reinterpret_cast<DialogAnswerer*>(self)->answer(window);
        }
        return TRUE;
    }

    static BOOL CALLBACK collect(HWND child, LPARAM texts) {
        wchar_t text[1024] = {};
        GetWindowTextW(child, text, 1024);
        if (text[0] != L'\0') {
            *reinterpret_cast<std::wstring*>(texts) += std::wstring(text) + L"\n";
        }
        return TRUE;
    }

    void answer(HWND dialog) {
        // A pressed dialog stays visible until its loop has taken the press.
        for (const HWND answered : answered_) {
            if (answered == dialog) {
                return;
            }
        }
        SeenDialog seen;
        seen.window = dialog;
        wchar_t caption[256] = {};
        GetWindowTextW(dialog, caption, 256);
        seen.caption = caption;
        EnumChildWindows(dialog, &DialogAnswerer::collect, reinterpret_cast<LPARAM>(&seen.texts));
        const LRESULT defaultId = SendMessageW(dialog, DM_GETDEFID, 0, 0);
        if (HIWORD(defaultId) == DC_HASDEFID) {
            seen.defaultButton = LOWORD(defaultId);
        }
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(dialog, focus)) {
            seen.focusedButton = GetDlgCtrlID(focus);
        }
        int button = answer_(seen);
        if (button == kDismiss) {
            button = GetDlgItem(dialog, IDCANCEL) != nullptr ? IDCANCEL
                     : GetDlgItem(dialog, IDNO) != nullptr   ? IDNO
                                                             : IDOK;
        }
        if (button == 0) {
            return;
        }
        seen_.push_back(seen);
        answered_.push_back(dialog);
        if (button == kPressEnter) {
            SetForegroundWindow(dialog);
            pressKey(VK_RETURN);
            return;
        }
        if (button == kCloseBox) {
            PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            return;
        }
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    }

    static inline DialogAnswerer* current_ = nullptr;
    Answer answer_;
    DialogAnswerer* previous_ = nullptr;
    UINT_PTR timer_ = 0;
    std::vector<SeenDialog> seen_;
    std::vector<HWND> answered_;
};

}  // namespace harness
