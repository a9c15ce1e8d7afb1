#include "ntfs_images.h"
#include "scan/mft_record.h"
#include "scan/text.h"
#include "scan/volume_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace scan::testing {
namespace {

namespace fs = std::filesystem;

#define IMAGE_OR_SKIP(variable, recipe)                  \
    std::string why;                                     \
    const std::string variable = imagePath(recipe, why); \
    if (variable.empty()) {                              \
        GTEST_SKIP() << why;                             \
    }

const char16_t* const kMetadataFiles[] = {u"$MFT",     u"$MFTMirr", u"$LogFile", u"$Volume",
                                          u"$AttrDef", u"$Bitmap",  u"$Boot",    u"$BadClus",
                                          u"$Secure",  u"$UpCase",  u"$Extend"};

// What holds for every store the reader fills: parents before children, children contiguous and
// pointing back, folder sums equal to the sums of their children (a folder's own value is only its
// index allocation), and counters and per-kind totals that agree with the rows.
void expectSoundStore(const ImageScan& scan) {
    const NodeStore& store = scan.store;
    const std::uint64_t rows = store.publishedCount();
    ASSERT_EQ(rows, store.rowCount());
    std::uint64_t files = 0;
    std::uint64_t folders = 1;
    for (NodeId id = 0; id < rows; ++id) {
        const NodeId first = store.firstChild.get(id);
        const std::uint32_t count = store.childCount.get(id);
        std::uint64_t size = 0;
        std::uint64_t allocated = 0;
        std::uint64_t fileCount = 0;
        for (NodeId child = first; child < first + count; ++child) {
            ASSERT_GT(child, id);
            ASSERT_LT(child, rows);
            ASSERT_EQ(store.parent.get(child), id);
            size += store.size.get(child);
            allocated += store.allocated.get(child);
            fileCount += store.fileCount.get(child);
        }
        if (store.hasFlag(id, FlagFolder)) {
            folders += id == 0 ? 0 : 1;
            EXPECT_EQ(store.size.get(id), size) << id;
            EXPECT_EQ(store.fileCount.get(id), fileCount) << id;
            EXPECT_GE(store.allocated.get(id), allocated) << id;
        } else {
            ++files;
            EXPECT_EQ(count, 0u);
        }
    }
    EXPECT_EQ(scan.counters.files.get(), files);
    EXPECT_EQ(scan.counters.folders.get(), folders);
    std::uint64_t kindFiles = 0;
    std::uint64_t kindSize = 0;
    for (std::size_t kind = 0; kind < scan.kinds.size(); ++kind) {
        kindFiles += scan.kinds.files(kind);
        kindSize += scan.kinds.logical(kind);
    }
    EXPECT_EQ(kindFiles, files);
    EXPECT_EQ(kindSize, store.size.get(0));
}

TEST(NtfsImage, BasicImageHoldsWhatWasWritten) {
    IMAGE_OR_SKIP(image, "basic");
    const auto scan = scanImage(image, {});
    ASSERT_TRUE(scan->outcome.filled) << toUtf8(scan->outcome.refusal);
    EXPECT_FALSE(scan->outcome.stopped);
    expectSoundStore(*scan);
    const auto rows = rowsByPath(scan->store);

    struct Expected {
        std::u16string path;
        std::uint64_t size;
        std::uint64_t allocated;
    };
    const Expected files[] = {
        {u"docs/readme.txt", 120, 0},  // resident data occupies no cluster
        {u"docs/report.pdf", 50000, 13 * 4096},
        {u"docs/empty.dat", 0, 0},
        {u"docs/deep/er/still/file.bin", 9000, 3 * 4096},
        {u"sparse.vhd", 8u << 20, 4096},  // only the run that holds data
        {u"streams.txt", 9, 5 * 4096},    // the named stream adds to allocated only
        {u"Ünïcödé 文件.txt", 5, 0},
        {u"A long file name.text", 3000, 4096},  // the long name, not the DOS one
        {u"$Boot", 8192, 8192},
        {u"emoji 😀𝄞.txt", 5, 0},  // names with surrogate pairs
        {u"chain/d01/d02/d03/d04/d05/d06/d07/d08/d09/d10/d11/d12/d13/d14/d15/d16/d17/d18/d19/"
         u"d20/d21/d22/d23/d24/d25/d26/d27/d28/d29/d30/d31/d32/d33/d34/d35/d36/d37/d38/d39/d40/"
         u"d41/d42/d43/d44/d45/d46/d47/d48/d49/d50/d51/d52/d53/d54/d55/d56/d57/d58/d59/d60/d61/"
         u"d62/d63/d64/d65/d66/d67/d68/d69/d70/bottom.txt",
         6, 0},
    };
    for (const Expected& expected : files) {
        SCOPED_TRACE(toUtf8(expected.path));
        const auto row = rows.find(expected.path);
        ASSERT_NE(row, rows.end());
        EXPECT_FALSE(row->second.folder);
        EXPECT_EQ(row->second.size, expected.size);
        EXPECT_EQ(row->second.allocated, expected.allocated);
        EXPECT_EQ(row->second.fileCount, 1u);
    }
    EXPECT_EQ(rows.count(u"ALONGF~1.TEX"), 0u);
    EXPECT_EQ(rows.count(u"docs/deleted.tmp"), 0u);
    EXPECT_EQ(rows.at(u"chain").fileCount, 1u);
    EXPECT_TRUE(rows.at(u"empty").folder);
    EXPECT_EQ(rows.at(u"empty").fileCount, 0u);

    // Compressed: fewer clusters than its size needs.
    const Row packed = rows.at(u"packed/text.log");
    EXPECT_EQ(packed.size, 210000u);
    EXPECT_GT(packed.allocated, 0u);
    EXPECT_LT(packed.allocated, packed.size / 2);

    // Three names of one hard-linked file in three folders make one node, under the folder of
    // the name it was made with.
    EXPECT_EQ(rows.at(u"data/original.bin").size, 12345u);
    EXPECT_EQ(rows.count(u"other/link1.bin"), 0u);
    EXPECT_EQ(rows.count(u"third/link2.bin"), 0u);
    EXPECT_EQ(rows.at(u"other").fileCount, 0u);
    EXPECT_EQ(scan->counters.duplicateLinks.get(), 0u);

    const Row photos = rows.at(u"photos");
    EXPECT_TRUE(photos.folder);
    EXPECT_EQ(photos.fileCount, 3000u);
    // The folder's own index allocation: many index blocks beyond the files' own clusters.
    EXPECT_GT(photos.allocated, 100u * 4096);

    for (const char16_t* name : kMetadataFiles) {
        EXPECT_EQ(rows.count(name), 1u) << toUtf8(name);
    }
    EXPECT_TRUE(rows.at(u"$Extend").folder);
    EXPECT_GT(rows.at(u"$MFT").size, 0u);
    EXPECT_EQ(scan->counters.unreadable.get(), 0u);
    EXPECT_EQ(scan->outcome.batches, 1u);
}

TEST(NtfsImage, FragmentedTableIsReadToItsEnd) {
    IMAGE_OR_SKIP(image, "fragmented");
    const auto scan = scanImage(image, {});
    ASSERT_TRUE(scan->outcome.filled) << toUtf8(scan->outcome.refusal);
    expectSoundStore(*scan);
    const auto rows = rowsByPath(scan->store);
    // The table's first record carries an attribute list and its name lives in an extension.
    ASSERT_EQ(rows.count(u"$MFT"), 1u);
    const Row mft = rows.at(u"$MFT");
    EXPECT_EQ(mft.allocated % 512, 0u);
    EXPECT_GE(mft.allocated, mft.size);
    // The files made last lie in the table's last pieces: every one of them must be there.
    const Row many = rows.at(u"many");
    std::ifstream made(fs::path(fromUtf8(image + ".many")));
    std::uint32_t madeFiles = 0;
    ASSERT_TRUE(made >> madeFiles);
    ASSERT_GT(madeFiles, 1000u);
    EXPECT_EQ(many.fileCount, madeFiles);
    for (std::uint32_t i = 1; i <= many.fileCount; ++i) {
        ASSERT_EQ(rows.count(u"many/m" + fromUtf8(std::to_string(i))), 1u) << i;
    }
    EXPECT_EQ(rows.at(u"frag/big.bin").size, 150000u);
    EXPECT_EQ(rows.at(u"frag/folder").fileCount, 150u);
}

TEST(NtfsImage, ManyHardLinksMakeOneNode) {
    IMAGE_OR_SKIP(image, "links");
    const auto scan = scanImage(image, {});
    ASSERT_TRUE(scan->outcome.filled);
    expectSoundStore(*scan);
    const auto rows = rowsByPath(scan->store);
    int found = 0;
    for (const auto& [path, row] : rows) {
        if (!row.folder && path.starts_with(u"links/")) {
            ++found;
            EXPECT_EQ(row.size, 3000u);
        }
    }
    EXPECT_EQ(found, 1);
    EXPECT_EQ(rows.at(u"elsewhere").fileCount, 0u);
}

TEST(NtfsImage, StartFolderIsFoundIgnoringCase) {
    IMAGE_OR_SKIP(image, "basic");
    ImageScanSettings settings;
    settings.startPieces = {u"DOCS", u"deep"};
    const auto scan = scanImage(image, settings);
    ASSERT_TRUE(scan->outcome.filled);
    expectSoundStore(*scan);
    const auto rows = rowsByPath(scan->store);
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows.count(u"er/still/file.bin"), 1u);
    EXPECT_EQ(scan->store.size.get(0), 9000u);

    for (const std::vector<std::u16string>& pieces :
         {std::vector<std::u16string>{u"docs", u"missing"},
          std::vector<std::u16string>{u"docs", u"readme.txt"}}) {
        settings.startPieces = pieces;
        const auto refused = scanImage(image, settings);
        EXPECT_FALSE(refused->outcome.filled);
        EXPECT_EQ(refused->outcome.refusal, kRefusalFolderNotFound);
        EXPECT_EQ(refused->store.rowCount(), 1u);
        EXPECT_EQ(refused->counters.files.get(), 0u);
    }
}

TEST(NtfsImage, StopBetweenBatchesKeepsWhatWasRead) {
    IMAGE_OR_SKIP(image, "fragmented");
    ImageScanSettings settings;
    settings.batchBytes = 64 * 1024;
    const auto full = scanImage(image, settings);
    settings.stopBeforeBatch = 3;
    const auto stopped = scanImage(image, settings);
    ASSERT_TRUE(full->outcome.filled);
    ASSERT_TRUE(stopped->outcome.filled);
    EXPECT_FALSE(full->outcome.stopped);
    EXPECT_TRUE(stopped->outcome.stopped);
    EXPECT_GT(full->outcome.batches, 3u);
    EXPECT_EQ(stopped->outcome.batches, 2u) << "the batches read, not those planned";
    expectSoundStore(*stopped);
    // Two batches of 128 records: the metadata files and the first folders, nothing of the rest.
    const auto rows = rowsByPath(stopped->store);
    EXPECT_EQ(rows.count(u"$MFT"), 1u);
    EXPECT_LT(stopped->store.rowCount(), 128u);
    EXPECT_GT(full->store.rowCount(), 1000u);
}

#ifndef _WIN32
// Every file and folder the mounted volume lists, by path, with its size, its disk usage and
// its inode (to know hard links).
struct Listed {
    bool folder = false;
    std::uint64_t size = 0;
    std::uint64_t inode = 0;
};

std::map<std::u16string, Listed> listMounted(const std::string& folder) {
    std::map<std::u16string, Listed> listed;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        struct stat info {};
        if (lstat(entry.path().c_str(), &info) != 0) {
            continue;
        }
        Listed item;
        item.folder = S_ISDIR(info.st_mode);
        item.size = item.folder ? 0 : static_cast<std::uint64_t>(info.st_size);
        item.inode = info.st_ino;
        listed.emplace(fileNameFromBytes(fs::relative(entry.path(), folder).string()), item);
    }
    return listed;
}

// The tree the reader built has every listed folder, exactly one name of every listed file (hard
// links once), with the listed size, and nothing else but the metadata files in the root.
void expectSameAsMounted(const std::string& image) {
    std::string why;
    if (!canMount(why)) {
        GTEST_SKIP() << why;
    }
    const auto scan = scanImage(image, {});
    ASSERT_TRUE(scan->outcome.filled);
    const auto rows = rowsByPath(scan->store);
    std::map<std::u16string, Listed> listed;
    {
        MountedImage mount(image);
        ASSERT_TRUE(mount.mounted());
        listed = listMounted(mount.folder());
    }
    ASSERT_GT(listed.size(), 5u);
    std::map<std::uint64_t, int> namesPerInode;
    for (const auto& [path, item] : listed) {
        SCOPED_TRACE(toUtf8(path));
        const auto row = rows.find(path);
        if (item.folder) {
            ASSERT_NE(row, rows.end());
            EXPECT_TRUE(row->second.folder);
            continue;
        }
        if (row != rows.end()) {
            ++namesPerInode[item.inode];
            EXPECT_FALSE(row->second.folder);
            EXPECT_EQ(row->second.size, item.size);
        } else {
            namesPerInode.try_emplace(item.inode, 0);
        }
    }
    for (const auto& [inode, names] : namesPerInode) {
        EXPECT_EQ(names, 1) << "inode " << inode;
    }
    for (const auto& [path, row] : rows) {
        if (!listed.contains(path)) {
            EXPECT_TRUE(path.starts_with(u"$")) << toUtf8(path);
        }
    }
}

TEST(NtfsImage, TreeMatchesTheMountedVolume) {
    for (const char* recipe : {"basic", "fragmented", "links"}) {
        SCOPED_TRACE(recipe);
        IMAGE_OR_SKIP(image, recipe);
        expectSameAsMounted(image);
    }
}
#endif

}  // namespace
}  // namespace scan::testing
