#include "history/scan_history.h"
#include "ntfs_images.h"
#include "scan/scanner.h"
#include "scan/text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#ifdef _WIN32
#include <windows.h>
#endif

namespace scan::testing {
namespace {

// Scans record themselves in the history; these tests keep it away from the user's own by
// giving the scans no data folder at all.
class NoHistory : public ::testing::Environment {
  public:
    void SetUp() override { history::setDataFolderForTesting(std::u16string()); }
    void TearDown() override { history::setDataFolderForTesting(std::nullopt); }
};
const auto* const noHistory = ::testing::AddGlobalTestEnvironment(new NoHistory);

// The files and folders below row 0 that are not the volume's own metadata, by path.
std::map<std::u16string, Row> userRows(const NodeStore& store) {
    std::map<std::u16string, Row> rows;
    for (NodeId id = 1; id < store.publishedCount(); ++id) {
        std::u16string path;
        for (NodeId node = id; node != 0; node = store.parent.get(node)) {
            path = store.nameOf(node) + (path.empty() ? u"" : u"/" + path);
        }
        if (!path.starts_with(u"$") && !store.hasFlag(id, FlagDuplicate)) {
            Row row;
            row.id = id;
            row.folder = store.hasFlag(id, FlagFolder);
            row.size = store.size.get(id);
            row.fileCount = store.fileCount.get(id);
            rows.emplace(path, row);
        }
    }
    return rows;
}

// The whole path through the scanner on a mounted volume: the mount table names the image, the
// reader takes the job, and its tree agrees with the folder walk of the same volume.
TEST(FileTableScan, MountedVolumeIsReadFromItsTable) {
    std::string why;
    if (!canMount(why)) {
        GTEST_SKIP() << why;
    }
    const std::string image = imagePath("basic", why);
    MountedImage mount(image);
    ASSERT_TRUE(mount.mounted());
    const std::u16string root = fileNameFromBytes(mount.folder());

    Scanner fromTable(ScanOptions{});
    const ScanResult tableResult = fromTable.scan(root);
    EXPECT_EQ(tableResult.method, 2u) << toUtf8(tableResult.note);
    EXPECT_FALSE(tableResult.fileTableRefused);
    EXPECT_EQ(tableResult.reads, 1u);

    ScanOptions walkOptions;
    walkOptions.method = 1;
    Scanner walked(walkOptions);
    const ScanResult walkResult = walked.scan(root);
    EXPECT_EQ(walkResult.method, 1u);

    const auto fromTableRows = userRows(fromTable.store());
    const auto walkedRows = userRows(walked.store());
    EXPECT_EQ(fromTableRows.size(), walkedRows.size());
    std::uint64_t tableSize = 0;
    std::uint64_t walkedSize = 0;
    for (const auto& [path, row] : fromTableRows) {
        SCOPED_TRACE(toUtf8(path));
        tableSize += path.find(u'/') == std::u16string::npos ? row.size : 0;
        // The three names of the hard-linked file: each scanner may count it under another one.
        if (path.starts_with(u"data") || path.starts_with(u"other") || path.starts_with(u"third")) {
            continue;
        }
        const auto other = walkedRows.find(path);
        ASSERT_NE(other, walkedRows.end());
        EXPECT_EQ(row.folder, other->second.folder);
        EXPECT_EQ(row.size, other->second.size);
        EXPECT_EQ(row.fileCount, other->second.fileCount);
    }

    for (const auto& [path, row] : walkedRows) {
        walkedSize += path.find(u'/') == std::u16string::npos ? row.size : 0;
    }
    EXPECT_EQ(tableSize, walkedSize);

    ScanOptions anyFolder;
    anyFolder.method = 2;
    Scanner folder(anyFolder);
    const ScanResult folderResult = folder.scan(root + u"/docs");
    EXPECT_EQ(folderResult.method, 2u);
    EXPECT_EQ(folder.store().size.get(0), walkedRows.at(u"docs").size);

    Scanner missing(anyFolder);
    const ScanResult missingResult = missing.scan(root + u"/docs/nothing-here");
    EXPECT_EQ(missingResult.method, 1u);
}

#ifdef _WIN32
bool underWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Wine opens no volume for raw reading the way Windows does, so the Windows source meets its
// refusals there, and the walk takes over, for a whole drive and for a folder with method 2.
TEST(FileTableScan, WineRefusesTheRawVolumeAndTheWalkRuns) {
    if (!underWine()) {
        GTEST_SKIP() << "only Wine's answers are known";
    }
    const std::set<std::u16string> refusals = {u"the volume did not report its master file table",
                                               u"the volume could not be opened for raw reading"};
    {
        // A stop asked for beforehand ends the walk at once, so the drive is not walked.
        Scanner whole(ScanOptions{});
        whole.requestStop();
        const ScanResult result = whole.scan(u"Z:\\");
        EXPECT_EQ(result.method, 1u);
        EXPECT_TRUE(result.fileTableRefused);
        EXPECT_TRUE(refusals.contains(result.note)) << toUtf8(result.note);
        RecordProperty("wholeVolumeNote", toUtf8(result.note));
    }
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("rozovizov-wine-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder / "sub");
    std::ofstream(folder / "a.txt", std::ios::binary) << std::string(100, 'a');
    std::ofstream(folder / "sub" / "b.txt", std::ios::binary) << std::string(200, 'b');
    ScanOptions anyFolder;
    anyFolder.method = 2;
    Scanner scanner(anyFolder);
    const ScanResult result = scanner.scan(folder.u16string());
    EXPECT_EQ(result.method, 1u);
    EXPECT_TRUE(result.fileTableRefused);
    EXPECT_TRUE(refusals.contains(result.note)) << toUtf8(result.note);
    RecordProperty("folderNote", toUtf8(result.note));
    EXPECT_EQ(scanner.counters().files.get(), 2u);
    EXPECT_EQ(scanner.store().size.get(0), 300u);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}
#endif

}  // namespace
}  // namespace scan::testing
