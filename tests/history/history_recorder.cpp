// Helper of the history tests: records one root many times in the history of the working
// folder while another process records a different root, and checks after every recording that
// no root seen so far has vanished, which is what a lost update between the two looks like.
//
//   history_recorder ROOT OTHER_ROOT COUNT
//
// Starts once a file "go" exists, so both processes run their loops at the same time. Exits
// with 0 when no root ever went missing, 1 when one did, 2 on wrong arguments.

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
    if (argc != 4) {
        return 2;
    }
    const std::u16string root = scan::fromUtf8(argv[1]);
    const std::u16string otherRoot = scan::fromUtf8(argv[2]);
    const int count = std::stoi(argv[3]);
    history::setDataFolderForTesting(std::filesystem::current_path().u16string());
    if (!waitForGo()) {
        return 2;
    }
    bool seenOther = false;
    int lost = 0;
    for (int i = 0; i < count; ++i) {
        history::recordScan(root);
        if (history::lastScanTime(root) == 0) {
            ++lost;
        }
        const bool otherPresent = history::lastScanTime(otherRoot) != 0;
        if (seenOther && !otherPresent) {
            ++lost;
        }
        seenOther = seenOther || otherPresent;
    }
    return lost == 0 ? 0 : 1;
}
