#pragma once

// A task dialog described by plain fields, shown modally through the common controls' task
// dialog. Windows only; user-interface thread only.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace ui {

struct TaskDialogButton {
    int id = 0;
    // For a command link, the text, a line break and the link's note.
    std::u16string text;
};

struct TaskDialogRequest {
    HWND owner = nullptr;
    std::u16string title;
    std::u16string instruction;
    std::u16string content;
    std::u16string footer;        // none when empty
    std::u16string verification;  // the check box's text; no check box when empty
    const wchar_t* icon = nullptr;
    bool commandLinks = false;
    bool closeButton = false;   // the common Close button
    bool cancelButton = false;  // the common Cancel button
    std::vector<TaskDialogButton> buttons;
    int defaultButton = 0;  // 0 leaves the choice to the dialog
};

struct TaskDialogAnswer {
    int button = 0;         // the chosen button's id; IDCANCEL for Esc and the close box
    bool verified = false;  // the check box was ticked
};

// Shows the dialog and waits for the user. None when it could not be shown (the common controls
// of this system have no task dialog, or it failed).
std::optional<TaskDialogAnswer> showTaskDialog(const TaskDialogRequest& request);

}  // namespace ui
