// Trees that work against the walk: folders swapped for links while it runs, chains deeper than
// the path limit, folders that can be read but not entered, and fewer descriptors than folders.

#include "scan_fixture.h"

#include "deep_chain.h"
#include "scan/file_kinds.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <thread>

namespace scan::testing {
namespace {

using HostileTreeTest = TempFolder;

// Runs `check` in a child process that has given up root, so that permission bits count.
// Answers the child's exit status, or -1 when it could not give up root.
template <class Check>
int asUnprivilegedUser(Check check) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(100);
        }
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return 99;
    }
    return WEXITSTATUS(status) == 100 ? -1 : WEXITSTATUS(status);
}

TEST_F(HostileTreeTest, AFolderSwappedForALinkDuringTheScanNeverLeadsOutOfTheTree) {
    // No history: the scans below are many and quick.
    history::setDataFolderForTesting(u"");
    // In the tree, a chain of empty folders below "a"; outside it, the same chain with bait files
    // at every level, and a link to it in the tree that trades places with "a" all the time. A
    // folder of the chain opened by its path while "a" is the link lists the bait instead.
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
    fs::create_directory_symlink(outside, tree / "swap");
    const std::string a = (tree / "a").string();
    const std::string swap = (tree / "swap").string();
    if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, swap.c_str(), RENAME_EXCHANGE) != 0) {
        GTEST_SKIP() << "this file system cannot exchange two names";
    }

    std::atomic<bool> swapping{true};
    std::thread swapper([&] {
        while (swapping.load(std::memory_order_relaxed)) {
            ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, swap.c_str(), RENAME_EXCHANGE);
        }
    });
    int scans = 0;
    int escaped = 0;
    std::string example;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (scans < 200 && std::chrono::steady_clock::now() < deadline) {
        Scanner scanner(optionsWithThreads(2));
        scanner.scan(fileNameFromBytes(tree.string()));
        ++scans;
        const NodeStore& store = scanner.store();
        for (NodeId row = 1; row < store.publishedCount(); ++row) {
            // The link itself is the only thing in the tree that counts as a file.
            if (store.fileCount.get(row) > 0 && store.kind.get(row) != KindSymbolicLink &&
                !store.hasFlag(row, FlagFolder)) {
                ++escaped;
                example = toUtf8(store.pathOf(row, u'/'));
                break;
            }
        }
    }
    swapping = false;
    swapper.join();
    EXPECT_EQ(escaped, 0) << "of " << scans << " scans; for one " << example;
    EXPECT_GT(scans, 10);
}

TEST_F(HostileTreeTest, TheInsideOfAChainPastThePathLimitIsScannedByPathAndFromWithin) {
    const std::string name(40, 'c');
    struct Remove {
        const fs::path& base;
        const std::string& name;
        ~Remove() { removeDeepChain(base, name); }
    } remove{root_, name};
    ASSERT_TRUE(makeDeepChain(root_, name, 150, 10));
    // Level 120 lies 4,920 bytes below the temporary folder.
    std::string deep = root_.string();
    int deepFolder = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < 120; ++level) {
        deep += "/" + name;
        const int next = ::openat(deepFolder, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(deepFolder);
        deepFolder = next;
    }
    ASSERT_GE(deepFolder, 0);
    ASSERT_GT(deep.size(), std::size_t{PATH_MAX});

    Scanner byPath(optionsWithThreads(2));
    const ScanResult result = byPath.scan(fileNameFromBytes(deep));
    EXPECT_EQ(result.unreadable, 0u);
    EXPECT_EQ(result.files, 31u) << "the files of levels 120 to 150";
    EXPECT_EQ(byPath.rootPath(), fileNameFromBytes(deep));
    EXPECT_NE(history::lastScanTime(byPath.rootPath()), 0u);

    // "." with the working folder down there, which only the process itself can name.
    const int home = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::fchdir(deepFolder), 0);
    Scanner fromWithin(optionsWithThreads(2));
    const ScanResult within = fromWithin.scan(u".");
    EXPECT_EQ(::fchdir(home), 0);
    ::close(home);
    ::close(deepFolder);
    EXPECT_EQ(within.unreadable, 0u);
    EXPECT_EQ(within.files, 31u);
    EXPECT_EQ(fromWithin.rootPath(), fileNameFromBytes(deep));
}

TEST_F(HostileTreeTest, AFolderThatCanBeReadButNotEnteredInventsNothing) {
    writeFile("open/a.txt", 100);
    writeFile("half/file.txt", 5000);
    writeFile("half/sub/inner.txt", 7);
    fs::permissions(root_ / "half",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const int status = asUnprivilegedUser([&] {
        Scanner scanner(optionsWithThreads(2));
        const ScanResult result = scanner.scan(rootText());
        const NodeStore& store = scanner.store();
        bool good = !result.stopped && result.files == 2 && result.unreadable == 2 &&
                    store.size.get(0) == 100;
        for (NodeId row = 1; row < store.publishedCount(); ++row) {
            const std::u16string name = store.nameOf(row);
            if (name == u"sub") {
                good = good && store.hasFlag(row, FlagFolder) &&
                       store.kind.get(row) == KindFolder && store.hasFlag(row, FlagUnopened);
            } else if (name == u"file.txt") {
                good = good && !store.hasFlag(row, FlagFolder) && store.size.get(row) == 0 &&
                       store.fileCount.get(row) == 1;
            }
        }
        if (!good) {
            std::fprintf(stderr, "files %llu, unreadable %llu\n",
                         static_cast<unsigned long long>(result.files),
                         static_cast<unsigned long long>(result.unreadable));
            for (const std::string& line : describe(scanner)) {
                std::fprintf(stderr, "%s\n", line.c_str());
            }
        }
        return good;
    });
    if (status < 0) {
        GTEST_SKIP() << "could not give up root";
    }
    EXPECT_EQ(status, 0) << "half/sub must stay an unopened folder, half/file.txt a file of "
                            "unknown size, and half count as not read in full";
}

TEST_F(HostileTreeTest, AWalkThatMayKeepFewFoldersOpenStillListsEveryFolder) {
    // 300 folders, each kept open from its listing until its own subfolder is opened: many more
    // at once than the 20 the child below may hold, so most subfolders are opened from the root
    // through two or three names.
    for (int i = 0; i < 300; ++i) {
        writeFile(fs::path("w" + std::to_string(i)) / "s" / "t" / "x.txt", 10);
    }
    Scanner whole(optionsWithThreads(1));
    whole.scan(rootText());
    const std::vector<std::string> expected = describe(whole);
    ASSERT_EQ(expected.size(), 300u * 4);

    const pid_t child = ::fork();
    if (child == 0) {
        // Room for 20 open folders.
        const struct rlimit few = {40, 40};
        if (::setrlimit(RLIMIT_NOFILE, &few) != 0) {
            ::_exit(2);
        }
        Scanner scanner(optionsWithThreads(1));
        const ScanResult result = scanner.scan(rootText());
        ::_exit(result.unreadable == 0 && describe(scanner) == expected ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace scan::testing
