#pragma once

// What the tests of the real main window share: settings under a key of their own, a scratch
// folder that also holds the scan history (so scans never reach the user's), pumping as the
// program's loop does, and a generated folder tree to scan.

#include "app/main_window.h"

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

    // Pumps as the program's loop does, accelerators included.
    static bool pumpUntil(MainWindow& main, const std::function<bool()>& done) {
        return harness::pumpUntil(done, harness::kPatience,
                                  [&main](MSG& message) { main.processMessage(message); });
    }
    static std::optional<int> closeAndPump(MainWindow& main) {
        PostMessageW(main.window(), WM_CLOSE, 0, 0);
        return harness::pumpUntilQuit(harness::kPatience,
                                      [&main](MSG& message) { main.processMessage(message); });
    }
    static std::uint64_t rowsOf(const MainWindow& main) {
        const scan::Scanner* scanner = main.controller().scanner();
        return scanner == nullptr ? 0 : scanner->store().publishedCount();
    }
    static bool statusStartsWith(const MainWindow& main, std::u16string_view start) {
        return main.statusText().starts_with(start);
    }
    // Scans `path` and pumps until the scan has ended and the window has handled its end.
    static bool scanToTheEnd(MainWindow& main, const std::u16string& path) {
        main.openScan(path);
        return pumpUntil(main, [&] {
            return !main.controller().running() && (statusStartsWith(main, u"Scan complete") ||
                                                    statusStartsWith(main, u"Scan stopped"));
        });
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
