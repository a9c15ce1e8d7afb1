#pragma once

// Answers the modal dialogs of the test's thread as a user would: while a dialog's own loop runs,
// a thread timer finds the dialog, records every text it shows and presses a button. Windows
// only.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace app::windowtest {

// What one dialog showed: its caption and the texts of all its controls.
struct SeenDialog {
    std::wstring caption;
    std::vector<std::wstring> texts;

    // Whether some control's text contains `part`.
    bool shows(std::wstring_view part) const;
};

class DialogDriver {
  public:
    // `answer` is called once for each dialog that appears, with its window, and is to end it.
    // Drivers nest: while a newer one lives, it answers instead.
    explicit DialogDriver(std::function<void(HWND dialog)> answer);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    const std::vector<SeenDialog>& seen() const { return seen_; }

    // Answers: a task dialog's button (ticking its check box first when asked), and a message
    // box's button.
    static std::function<void(HWND)> pressTaskButton(int id, bool tickCheckBox = false);
    static std::function<void(HWND)> pressMessageBoxButton(int id);

  private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
    void look();

    std::function<void(HWND)> answer_;
    std::vector<SeenDialog> seen_;
    HWND answered_ = nullptr;
    DialogDriver* previous_ = nullptr;
    UINT_PTR timer_ = 0;
};

}  // namespace app::windowtest
