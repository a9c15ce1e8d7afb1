// Paths, volumes and the links and mount points the walk must not follow, on POSIX systems.

#include "scan_fixture.h"

#include "scan/file_kinds.h"

#include <sys/wait.h>
#include <unistd.h>

namespace scan::testing {
namespace {

using PosixScanTest = TempFolder;

TEST(PosixPaths, NormalisingMakesPathsAbsoluteWithoutTrailingSeparators) {
    EXPECT_EQ(normalisePath(u""), u"");
    EXPECT_EQ(normalisePath(u"/"), u"/");
    EXPECT_EQ(normalisePath(u"///"), u"/");
    EXPECT_EQ(normalisePath(u"/no/such/place/../here/"), u"/no/such/here");
    const std::u16string current = normalisePath(fileNameFromBytes(fs::current_path().string()));
    EXPECT_EQ(normalisePath(u"."), current);
    EXPECT_EQ(longPathOf(u"/srv/data"), u"/srv/data");
}

TEST(PosixVolumes, TheRootFileSystemIsAWholeVolume) {
    EXPECT_EQ(volumeRootOf(u"/"), u"/");
    EXPECT_TRUE(isWholeVolume(u"/"));
    EXPECT_TRUE(isWholeVolume(u"//"));
    VolumeInfo info;
    ASSERT_TRUE(volumeInfoOf(u"/", info));
    EXPECT_GT(info.totalBytes, 0u);
    EXPECT_EQ(info.usedBytes, info.totalBytes - info.freeBytes);
    EXPECT_FALSE(info.fileSystem.empty());
    EXPECT_EQ(isElevated(), ::geteuid() == 0);
    EXPECT_EQ(volumeRootOf(u""), u"");
    EXPECT_FALSE(isWholeVolume(u"/no/such/place"));
}

TEST_F(PosixScanTest, AFolderInsideAVolumeIsNotWholeAndHasItsMountAsRoot) {
    const std::u16string root = volumeRootOf(rootText());
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(root.back(), u'/');
    EXPECT_EQ(normalisePath(rootText()).rfind(withoutTrailingSeparators(root, 1), 0), 0u);
    EXPECT_FALSE(isWholeVolume(rootText()));
}

TEST_F(PosixScanTest, SymbolicLinksAreNotFollowed) {
    writeFile("real/inside.txt", 5000);
    fs::create_directory_symlink(root_ / "real", root_ / "folder-link");
    fs::create_symlink(root_ / "real/inside.txt", root_ / "file-link.txt");
    Scanner scanner(optionsWithThreads(1));
    const ScanResult result = scanner.scan(rootText());
    EXPECT_EQ(result.files, 3u) << "one file and two links";
    const NodeStore& store = scanner.store();
    EXPECT_EQ(store.size.get(0), 5000u);
    for (NodeId row = 1; row < store.publishedCount(); ++row) {
        const std::u16string name = store.nameOf(row);
        if (name == u"folder-link" || name == u"file-link.txt") {
            EXPECT_EQ(store.kind.get(row), KindSymbolicLink);
            EXPECT_EQ(store.flags.get(row), FlagLink);
            EXPECT_EQ(store.size.get(row), 0u);
            EXPECT_EQ(store.fileCount.get(row), 1u);
            EXPECT_EQ(store.childCount.get(row), 0u);
        }
    }
}

TEST_F(PosixScanTest, ARootGivenThroughALinkIsScannedWhereItLies) {
    writeFile("real/a.txt", 10);
    fs::create_directory_symlink(root_ / "real", root_ / "link");
    Scanner scanner(optionsWithThreads(1));
    const ScanResult result = scanner.scan(rootText() + u"/link");
    EXPECT_EQ(result.files, 1u);
    EXPECT_EQ(scanner.rootPath(), normalisePath(rootText() + u"/real"));
}

TEST_F(PosixScanTest, MountPointsAreNotDescended) {
    // /proc is a file system of its own on every Linux system; a folder on another device is
    // recorded and left alone, as is the folder itself when it is the root's neighbour.
    Scanner scanner(optionsWithThreads(1));
    const ScanResult result = scanner.scan(u"/dev");
    ASSERT_FALSE(result.stopped);
    const NodeStore& store = scanner.store();
    bool sawMount = false;
    for (NodeId row = 1; row < store.publishedCount(); ++row) {
        if (store.nameOf(row) == u"shm" || store.nameOf(row) == u"pts" ||
            store.nameOf(row) == u"mqueue") {
            if (store.hasFlag(row, FlagUnfollowed)) {
                sawMount = true;
                EXPECT_TRUE(store.hasFlag(row, FlagFolder));
                EXPECT_EQ(store.childCount.get(row), 0u);
            }
        }
    }
    if (!sawMount) {
        GTEST_SKIP() << "no file system is mounted below /dev here";
    }
}

TEST_F(PosixScanTest, AFolderThatCannotBeOpenedIsMarkedAndTheWalkGoesOn) {
    writeFile("open/a.txt", 100);
    writeFile("locked/secret.txt", 100);
    fs::permissions(root_ / "locked", fs::perms::none);
    // Root reads every folder whatever its permission bits, so the scan runs in a child that has
    // given up root.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(10);
        }
        Scanner scanner(optionsWithThreads(2));
        const ScanResult result = scanner.scan(rootText());
        const NodeStore& store = scanner.store();
        int unopened = 0;
        for (NodeId row = 1; row < store.publishedCount(); ++row) {
            if (store.hasFlag(row, FlagUnopened)) {
                unopened += store.nameOf(row) == u"locked" ? 1 : 100;
            }
        }
        const bool ok =
            result.unreadable == 1 && result.files == 1 && unopened == 1 && !result.stopped;
        ::_exit(ok ? 0 : 1);
    }
    // The temporary folder must be reachable by the child that gave up root.
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 10) {
        GTEST_SKIP() << "could not give up root";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(PosixScanTest, NamesThatAreNotUtf8KeepTheirBytes) {
    const std::string odd = "caf\xe9.txt";
    writeFile(fs::path(odd), 7);
    Scanner scanner(optionsWithThreads(1));
    scanner.scan(rootText());
    const NodeStore& store = scanner.store();
    ASSERT_EQ(store.publishedCount(), 2u);
    EXPECT_EQ(fileNameToBytes(store.nameOf(1)), odd);
    EXPECT_TRUE(fs::exists(fs::path(fileNameToBytes(store.pathOf(1, u'/')))));
    EXPECT_EQ(store.kind.get(1), classify(u"x.txt"));
}

}  // namespace
}  // namespace scan::testing
