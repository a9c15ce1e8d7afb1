// What the main window does for the item the user points at: the right-click menu, copying its
// path, showing it in the file manager and refreshing its folder.

#include "app/main_window.h"

#include "app/commands.h"
#include "scan/wide_text_win32.h"

#include <shellapi.h>

#include <cstring>
#include <string>

namespace app {

namespace {

// Takes ownership of a menu handle.
class PopupMenu {
  public:
    PopupMenu() : menu_(CreatePopupMenu()) {}
    ~PopupMenu() {
        if (menu_ != nullptr) {
            DestroyMenu(menu_);
        }
    }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;
    HMENU get() const { return menu_; }
    void add(int id, const wchar_t* text, bool grey = false) const {
        AppendMenuW(menu_, MF_STRING | (grey ? MF_GRAYED : MF_ENABLED), static_cast<UINT_PTR>(id),
                    text);
    }

  private:
    HMENU menu_;
};

}  // namespace

std::int32_t MainWindow::focusNode() const {
    const scan::Scanner* scanner = controller_.scanner();
    if (scanner == nullptr || fileList_ == nullptr) {
        return -1;
    }
    const std::int32_t focus = fileList_->focus();
    return focus >= 0 && static_cast<std::uint64_t>(focus) < scanner->store().publishedCount()
               ? focus
               : -1;
}

void MainWindow::onContextMenu(HWND from, LPARAM where) {
    if (where == -1) {
        // From the keyboard: at the treemap's selection when the treemap has the keyboard, else
        // at the list's focus row.
        std::optional<POINT> point;
        if (treemapView_ != nullptr && from == treemapView_->window()) {
            point = treemapView_->selectionMenuPoint();
        } else if (fileList_ != nullptr) {
            point = fileList_->focusMenuPoint();
        }
        if (point) {
            showContextMenu(point->x, point->y);
        }
        return;
    }
    showContextMenu(static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where)));
}

void MainWindow::showContextMenu(int x, int y) {
    const std::int32_t focus = focusNode();
    if (welcomeShown_ || focus < 0) {
        return;
    }
    const scan::NodeStore& store = controller_.scanner()->store();
    const bool running = controller_.running();
    const std::size_t selected = fileList_->model().selection().size();
    // Counted as queued: a folder and something inside it are one item; the root is none.
    const std::size_t deletable = deletableCount();
    PopupMenu popup;
    if (selected < 2) {
        popup.add(CommandShowInExplorer, L"Show in Explorer");
        popup.add(CommandCopyPath, L"Copy Path");
        if (store.hasFlag(static_cast<scan::NodeId>(focus), scan::FlagFolder)) {
            popup.add(CommandZoomIn, L"Zoom Treemap Here");
            popup.add(CommandRefreshFolder, L"Refresh This Folder", running);
        }
        AppendMenuW(popup.get(), MF_SEPARATOR, 0, nullptr);
        popup.add(CommandMoveToRecycleBin, L"Move to Recycle Bin\u2026", deletable == 0);
    } else {
        const std::wstring text =
            deletable == 1 ? std::wstring(L"Move to Recycle Bin\u2026")
                           : L"Move " + std::to_wstring(deletable) + L" Items to Recycle Bin\u2026";
        popup.add(CommandMoveToRecycleBin, text.c_str(), deletable == 0);
    }
    TrackPopupMenu(popup.get(), TPM_RIGHTBUTTON, x, y, 0, window_, nullptr);
}

void MainWindow::onListSelection(std::int32_t focus) {
    treemapView_->setSelectedNode(focus);
    updateInspectors(focus);
}

void MainWindow::refreshFolder() {
    refreshFolderFromDisk(focusNode());
}

void MainWindow::refreshFolderFromDisk(std::int32_t folder) {
    const scan::Scanner* scanner = controller_.scanner();
    if (controller_.running() || scanner == nullptr || folder < 0 ||
        static_cast<std::uint64_t>(folder) >= scanner->store().publishedCount() ||
        !scanner->store().hasFlag(static_cast<scan::NodeId>(folder), scan::FlagFolder) ||
        !scanner->isAttached(static_cast<scan::NodeId>(folder))) {
        return;
    }
    treemapView_->setSelectedNode(-1);
    // The refresh detaches the folder's old rows; a treemap zoomed into one of them would keep
    // drawing the old listing beside the new one.
    treemapView_->zoomToTop();
    fileList_->resetView();
    controller_.refreshFolder(static_cast<scan::NodeId>(folder));
    refreshViews(false);
}

// Unicode text on the clipboard, owned by the clipboard once handed over.
void MainWindow::copyPath(const std::u16string& path) {
    if (OpenClipboard(window_) == 0) {
        return;
    }
    EmptyClipboard();
    const std::size_t bytes = (path.size() + 1) * sizeof(char16_t);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory != nullptr) {
        // Movable memory is only addressable while locked.
        void* target = GlobalLock(memory);
        bool handedOver = false;
        if (target != nullptr) {
            std::memcpy(target, path.c_str(), bytes);
            GlobalUnlock(memory);
            handedOver = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        if (!handedOver) {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

void MainWindow::showInFileManager(const std::u16string& path) {
    const std::wstring parameters = L"/select,\"" + scan::wideString(path) + L"\"";
    if (openFileManager) {
        openFileManager(window_, parameters);
        return;
    }
    ShellExecuteW(window_, L"open", L"explorer.exe", parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

}  // namespace app
