// Trees that work against the walk on Windows: a folder swapped for a folder link while the walk
// runs. Making links needs a right that ordinary accounts and some systems lack; the test says so
// and is skipped there.

#include "scan_fixture.h"

#include "scan/file_kinds.h"

#include <windows.h>

#include <thread>

namespace scan::testing {
namespace {

using HostileTreeTest = TempFolder;

TEST_F(HostileTreeTest, AFolderSwappedForALinkDuringTheScanNeverLeadsOutOfTheTree) {
    history::setDataFolderForTesting(u"");
    // As on POSIX systems: a chain of empty folders below "a" in the tree, the same chain with
    // bait files outside it, and a link to that in the tree trading places with "a".
    const fs::path tree = root_ / "tree";
    const fs::path outside = root_ / "outside";
    fs::path inner = tree / "a";
    fs::path bait = outside;
    for (int level = 0; level < 12; ++level) {
        inner /= "d";
        bait /= "d";
        fs::create_directories(inner);
        for (int i = 0; i < 4; ++i) {
            writeFile(fs::relative(bait / ("bait" + std::to_string(i)), root_), 1);
        }
    }
    const fs::path a = tree / "a";
    const fs::path swap = tree / "swap";
    const fs::path aside = tree / "aside";
    if (!CreateSymbolicLinkW(
            swap.c_str(), outside.c_str(),
            SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)) {
        GTEST_SKIP() << "this system does not let the test make a folder link (error "
                     << GetLastError() << ")";
    }
    const DWORD attributes = GetFileAttributesW(swap.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        GTEST_SKIP() << "the link made here is not a reparse point";
    }

    std::atomic<bool> swapping{true};
    std::thread swapper([&] {
        while (swapping.load(std::memory_order_relaxed)) {
            MoveFileExW(a.c_str(), aside.c_str(), 0);
            MoveFileExW(swap.c_str(), a.c_str(), 0);
            MoveFileExW(aside.c_str(), swap.c_str(), 0);
        }
    });
    int scans = 0;
    int escaped = 0;
    std::string example;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (scans < 100 && std::chrono::steady_clock::now() < deadline) {
        Scanner scanner(optionsWithThreads(2));
        scanner.scan(std::u16string(reinterpret_cast<const char16_t*>(tree.u16string().c_str())));
        ++scans;
        const NodeStore& store = scanner.store();
        for (NodeId row = 1; row < store.publishedCount(); ++row) {
            if (store.fileCount.get(row) > 0 && store.kind.get(row) != KindSymbolicLink &&
                !store.hasFlag(row, FlagFolder)) {
                ++escaped;
                example = toUtf8(store.pathOf(row, u'\\'));
                break;
            }
        }
    }
    swapping = false;
    swapper.join();
    EXPECT_EQ(escaped, 0) << "of " << scans << " scans; for one " << example;
}

}  // namespace
}  // namespace scan::testing
