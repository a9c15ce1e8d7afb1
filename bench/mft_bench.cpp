// One scan of a folder, by the master file table reader or by the folder walk, for
// bench/mft-vs-walk. Prints one line: method, seconds, rows, files, folders, and the size of the
// volume's $MFT when the table was read (to count its records).
//
//   mft_bench --method mft|walk PATH

#include "history/scan_history.h"
#include "scan/scanner.h"
#include "scan/text.h"

#include <chrono>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 4 || std::strcmp(argv[1], "--method") != 0 ||
        (std::strcmp(argv[2], "mft") != 0 && std::strcmp(argv[2], "walk") != 0)) {
        std::fprintf(stderr, "usage: mft_bench --method mft|walk PATH\n");
        return 2;
    }
    // A benchmark must not add its scans to the user's history.
    history::setDataFolderForTesting(std::u16string());
    scan::ScanOptions options;
    options.method = std::strcmp(argv[2], "mft") == 0 ? 0 : 1;
    scan::Scanner scanner(options);
    const auto start = std::chrono::steady_clock::now();
    const scan::ScanResult result = scanner.scan(scan::fileNameFromBytes(argv[3]));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (options.method == 0 && result.method != 2) {
        std::fprintf(stderr, "mft_bench: the file table was not read: %s\n",
                     scan::toUtf8(result.note).c_str());
        return 1;
    }
    const scan::NodeStore& store = scanner.store();
    std::uint64_t tableBytes = 0;
    const scan::NodeId first = store.firstChild.get(0);
    for (scan::NodeId child = first; child < first + store.childCount.get(0); ++child) {
        if (store.nameOf(child) == u"$MFT") {
            tableBytes = store.size.get(child);
        }
    }
    std::printf("method=%u seconds=%.4f rows=%llu files=%llu folders=%llu mft_bytes=%llu\n",
                result.method, seconds, static_cast<unsigned long long>(store.rowCount()),
                static_cast<unsigned long long>(scanner.counters().files.get()),
                static_cast<unsigned long long>(scanner.counters().folders.get()),
                static_cast<unsigned long long>(tableBytes));
    return 0;
}
