#pragma once

// What the tests of the real main window share: settings under a key of their own, a scratch
// folder that also holds the scan history (so scans never reach the user's), pumping as the
// program's loop does, a generated folder tree to scan, and the user's gestures on the window's
// own controls (the measure box, the menus, the start page).

#include "app/commands.h"
#include "app/main_window.h"
#include "panes/welcome_view_win32.h"

#include "history/scan_history.h"
#include "update/update_check.h"

#include "window_harness.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

namespace app::windowtest {

namespace fs = std::filesystem;

// The files and folders of a generated tree, counted as they were made.
struct GeneratedTree {
    fs::path root;
    std::int64_t files = 0;
    std::int64_t folders = 0;  // the root included
};

class MainWindowFixture : public ::testing::Test {
  protected:
    // Where the menu bar holds its menus.
    static constexpr int kViewMenu = 2;
    static constexpr int kHelpMenu = 3;

    void SetUp() override {
        scratch_ = fs::temp_directory_path() /
                   ("rozovizov-window-" + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(GetTickCount64()));
        fs::create_directories(scratch_);
        // Finished scans record themselves in the history: keep that out of the prefix's own.
        history::setDataFolderForTesting(scratch_.u16string());
        // The process's update check counts as done without a result, so that the windows of
        // tests that pass no check of their own start no worker (nor any thread of the network
        // library) behind their backs.
        update::UpdateCheck& processCheck = update::processUpdateCheck();
        if (processCheck.start()) {
            processCheck.finish(std::nullopt);
        }
    }
    void TearDown() override {
        harness::pumpPending();
        history::setDataFolderForTesting(std::nullopt);
        std::error_code ignored;
        fs::remove_all(scratch_, ignored);
    }

    // Handles messages as the program's loop does, accelerators included.
    static harness::Dispatch loopOf(MainWindow& main) {
        return [&main](MSG& message) { main.processMessage(message); };
    }
    static bool pumpUntil(MainWindow& main, const std::function<bool()>& done) {
        return harness::pumpUntil(done, harness::kPatience, loopOf(main));
    }
    static void pumpPending(MainWindow& main) { harness::pumpPending(loopOf(main)); }
    static std::optional<int> closeAndPump(MainWindow& main) {
        PostMessageW(main.window(), WM_CLOSE, 0, 0);
        return harness::pumpUntilQuit(harness::kPatience, loopOf(main));
    }
    static std::uint64_t rowsOf(const MainWindow& main) {
        const scan::Scanner* scanner = main.controller().scanner();
        return scanner == nullptr ? 0 : scanner->store().publishedCount();
    }
    static bool statusStartsWith(const MainWindow& main, std::u16string_view start) {
        return main.statusText().starts_with(start);
    }
    // Pumps until the scan under way has completed and the window has handled its end.
    static bool pumpUntilScanComplete(MainWindow& main) {
        return pumpUntil(main, [&] {
            return !main.controller().running() && statusStartsWith(main, u"Scan complete");
        });
    }
    // Scans `path` and pumps until the scan has ended and the window has handled its end.
    static bool scanToTheEnd(MainWindow& main, const std::u16string& path) {
        main.openScan(path);
        return pumpUntil(main, [&] {
            return !main.controller().running() && (statusStartsWith(main, u"Scan complete") ||
                                                    statusStartsWith(main, u"Scan stopped"));
        });
    }

    // Chooses an item of the measure box as a user would: the box changes its selection and
    // tells its parent.
    static void chooseMeasure(MainWindow& main, int index) {
        const HWND box = GetDlgItem(main.window(), ControlMeasureBox);
        SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(main.window(), WM_COMMAND, MAKEWPARAM(ControlMeasureBox, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(box));
    }

    // The state of item `id` of the menu bar's menu at `position`, as the menu would show it
    // when opened now: the window sets checks and greys as the menu opens.
    static UINT menuItemState(MainWindow& main, int position, int id) {
        const HMENU menu = GetSubMenu(GetMenu(main.window()), position);
        SendMessageW(main.window(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu),
                     static_cast<LPARAM>(position));
        return GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND);
    }
    // Whether the View menu would show item `id` checked.
    static bool menuChecked(MainWindow& main, int id) {
        return (menuItemState(main, kViewMenu, id) & MF_CHECKED) != 0;
    }

    // The start page's client point in the middle of a page rectangle, scrolled as it is now.
    static POINT middlePointOf(const panes::WelcomeView& view, const panes::PageRect& rect) {
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2 - view.scroll()};
    }
    static LPARAM middleOf(const panes::WelcomeView& view, const panes::PageRect& rect) {
        const POINT at = middlePointOf(view, rect);
        return MAKELPARAM(at.x, at.y);
    }
    // A click in the middle of a card, a button or a link of the start page, where a user aims.
    static void clickMiddleOf(const panes::WelcomeView& view, const panes::PageRect& rect) {
        harness::clickAt(view.window(), middlePointOf(view, rect));
    }

    // A file of `bytes` bytes at `path`, its folders made as needed.
    static void writeFile(const fs::path& path, std::size_t bytes) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
    }

    // `folders` folders of `subfolders` folders of `files` files each, of sizes that differ.
    GeneratedTree makeTree(const std::string& name, int folders, int subfolders, int files) const {
        GeneratedTree tree{scratch_ / name, 0, 1};
        for (int f = 0; f < folders; ++f) {
            for (int s = 0; s < subfolders; ++s) {
                const fs::path folder =
                    tree.root / ("folder" + std::to_string(f)) / ("sub" + std::to_string(s));
                fs::create_directories(folder);
                for (int i = 0; i < files; ++i) {
                    std::ofstream out(folder / ("file" + std::to_string(i) + ".dat"),
                                      std::ios::binary);
                    out << std::string(static_cast<std::size_t>(1000 + 4096 * i + 777 * f), 'x');
                    ++tree.files;
                }
            }
        }
        tree.folders += folders + folders * subfolders;
        return tree;
    }

    // A program started by a test asks a port of this machine where nothing listens for
    // updates, so that no test reaches the network.
    harness::ScopedEnvironment updateService_{L"ROZOVIZOV_UPDATE_URL",
                                              L"http://127.0.0.1:1/api/latest-version"};
    harness::TestRegistryKey key_;
    settings::SettingsStore settings_{key_.path16()};
    fs::path scratch_;
};

}  // namespace app::windowtest
