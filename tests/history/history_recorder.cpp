// Helper of the history tests: records COUNT roots, ROOT\0 to ROOT\<COUNT-1>, one after the
// other, in the history of the working folder, while another process does the same with its
// own roots. An update lost between the two shows as a root missing from the final file.
//
//   history_recorder ROOT COUNT
//
// Starts once a file "go" exists, so both processes run their loops at the same time. Exits
// with 0 when done, 2 on wrong arguments or when "go" never came.

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "history/scan_history.h"
#include "scan/text.h"

namespace {

bool waitForGo() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists("go")) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    const std::string root = argv[1];
    const int count = std::stoi(argv[2]);
    history::setDataFolderForTesting(std::filesystem::current_path().u16string());
    if (!waitForGo()) {
        return 2;
    }
    for (int i = 0; i < count; ++i) {
        history::recordScan(scan::fromUtf8(root + "\\" + std::to_string(i)));
    }
    return 0;
}
