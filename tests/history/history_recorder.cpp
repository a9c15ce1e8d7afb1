// Helper of the history tests: records COUNT roots, ROOT\0 to ROOT\<COUNT-1>, one after the
// other, in the history of the working folder, while another process does the same with its
// own roots. An update lost between the two shows as a root missing from the final file.
//
//   history_recorder ROOT COUNT
//
// Starts once its standard input ends, which the test makes happen for both processes together
// once both have started, so that their loops run at the same time. Exits with 0 when done, 2 on
// wrong arguments.

#include <cstdio>
#include <filesystem>
#include <string>

#include "history/scan_history.h"
#include "scan/text.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    const std::string root = argv[1];
    const int count = std::stoi(argv[2]);
    history::setDataFolderForTesting(std::filesystem::current_path().u16string());
    while (std::getchar() != EOF) {
    }
    for (int i = 0; i < count; ++i) {
        history::recordScan(scan::fromUtf8(root + "\\" + std::to_string(i)));
    }
    return 0;
}
