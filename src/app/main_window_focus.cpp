// Where the main window's keyboard focus goes: Tab and Shift+Tab through the toolbar's controls
// and the panes, F6 and Shift+F6 from pane to pane, Enter on a toolbar button, and the focus
// kept on something shown when panes come and go or the window is activated again.

#include "app/main_window.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace app {

namespace {

bool held(int key) {
    return GetKeyState(key) < 0;
}

bool usable(HWND window) {
    return window != nullptr && IsWindowVisible(window) && IsWindowEnabled(window);
}

}  // namespace

std::vector<std::vector<HWND>> MainWindow::focusGroups() const {
    std::vector<std::vector<HWND>> groups;
    std::vector<HWND> toolbar;
    for (const HWND control :
         {openButton_, measureBox_, zoomOutButton_, stopButton_, refreshButton_}) {
        if (usable(control)) {
            toolbar.push_back(control);
        }
    }
    if (!toolbar.empty()) {
        groups.push_back(std::move(toolbar));
    }
    for (const ui::PaneWindow* pane : panesInOrder()) {
        if (pane != nullptr && usable(pane->window())) {
            groups.push_back({pane->window()});
        }
    }
    return groups;
}

std::array<ui::PaneWindow*, 5> MainWindow::panesInOrder() const {
    return {welcomeView_.get(), kindPane_.get(), fileList_.get(), treemapView_.get(),
            pendingPane_.get()};
}

ui::PaneWindow* MainWindow::paneOf(HWND window) const {
    for (ui::PaneWindow* pane : panesInOrder()) {
        if (pane != nullptr && pane->window() == window) {
            return pane;
        }
    }
    return nullptr;
}

HWND MainWindow::defaultFocus() const {
    if (welcomeShown_) {
        return welcomeView_ != nullptr ? welcomeView_->window() : window_;
    }
    return fileList_ != nullptr ? fileList_->window() : window_;
}

void MainWindow::moveFocus(bool forward, bool byPane) {
    const std::vector<std::vector<HWND>> groups = focusGroups();
    if (groups.empty()) {
        return;
    }
    // Where the focus is now: a group and a place in it, or none (the frame itself, say).
    HWND focus = GetFocus();
    if (focus != nullptr && GetParent(focus) != window_ && IsChild(window_, focus)) {
        // A control's own child (there is none today) counts as the control.
        while (GetParent(focus) != window_) {
            focus = GetParent(focus);
        }
    }
    std::ptrdiff_t group = -1;
    std::ptrdiff_t place = -1;
    for (std::size_t g = 0; g < groups.size() && group < 0; ++g) {
        const auto found = std::find(groups[g].begin(), groups[g].end(), focus);
        if (found != groups[g].end()) {
            group = static_cast<std::ptrdiff_t>(g);
            place = std::distance(groups[g].begin(), found);
        }
    }
    if (!byPane && group >= 0) {
        ui::PaneWindow* pane = paneOf(focus);
        if (pane != nullptr && pane->stepFocus(forward)) {
            return;
        }
    }
    const auto count = static_cast<std::ptrdiff_t>(groups.size());
    const std::ptrdiff_t step = forward ? 1 : -1;
    HWND target = nullptr;
    if (group < 0) {
        target = forward ? groups.front().front() : groups.back().back();
    } else if (byPane) {
        target = groups[static_cast<std::size_t>((group + step + count) % count)].front();
    } else {
        const auto size =
            static_cast<std::ptrdiff_t>(groups[static_cast<std::size_t>(group)].size());
        if (place + step >= 0 && place + step < size) {
            target =
                groups[static_cast<std::size_t>(group)][static_cast<std::size_t>(place + step)];
        } else {
            const auto& next = groups[static_cast<std::size_t>((group + step + count) % count)];
            target = forward ? next.front() : next.back();
        }
    }
    SetFocus(target);
    if (ui::PaneWindow* pane = paneOf(target)) {
        pane->enterFocus(forward || byPane);
    }
}

bool MainWindow::keyMovesFocus(const MSG& message) {
    if (message.message != WM_KEYDOWN || window_ == nullptr ||
        (message.hwnd != window_ && !IsChild(window_, message.hwnd)) || held(VK_CONTROL) ||
        held(VK_MENU)) {
        return false;
    }
    const bool tab = message.wParam == VK_TAB;
    const bool paneKey = message.wParam == VK_F6;
    if (tab || paneKey) {
        if (measureBox_ != nullptr && SendMessageW(measureBox_, CB_GETDROPPEDSTATE, 0, 0) != 0) {
            SendMessageW(measureBox_, CB_SHOWDROPDOWN, FALSE, 0);
        }
        moveFocus(!held(VK_SHIFT), paneKey);
        return true;
    }
    // Buttons answer Space by themselves; Enter is the dialog manager's, which this window has
    // not got.
    const bool toolbarButton = message.hwnd == openButton_ || message.hwnd == zoomOutButton_ ||
                               message.hwnd == stopButton_ || message.hwnd == refreshButton_;
    if (message.wParam == VK_RETURN && toolbarButton) {
        SendMessageW(message.hwnd, BM_CLICK, 0, 0);
        return true;
    }
    return false;
}

void MainWindow::giveFocusTo(HWND pane) {
    lastFocus_ = pane;
    // Not while another window of the program (the settings window, a message) is in front.
    if (GetActiveWindow() == window_) {
        SetFocus(pane);
    }
}

void MainWindow::keepFocusShown() {
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(window_, focus) && !usable(focus)) {
        SetFocus(defaultFocus());
    }
}

void MainWindow::onActivate(WPARAM state) {
    if (LOWORD(state) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) {
            lastFocus_ = focus;
        }
        return;
    }
    if (HIWORD(state) != 0) {
        // Minimised: the focus goes back when the window is restored.
        return;
    }
    SetFocus(usable(lastFocus_) && IsChild(window_, lastFocus_) ? lastFocus_ : defaultFocus());
}

}  // namespace app
