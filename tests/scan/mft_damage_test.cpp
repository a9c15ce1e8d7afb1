#include "ntfs_images.h"
#include "scan/mft_record.h"
#include "scan/text.h"
#include "scan/volume_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace scan::testing {
namespace {

namespace fs = std::filesystem;

// An image held in memory, of which the first `visible` bytes can be read.
class MemorySource final : public VolumeSource {
  public:
    explicit MemorySource(std::vector<std::uint8_t>& bytes)
        : bytes_(bytes), visible_(bytes.size()) {}
    bool read(std::uint64_t offset, void* buffer, std::size_t length) override {
        if (!fits(offset, length, visible_)) {
            return false;
        }
        std::copy_n(bytes_.data() + offset, length, static_cast<std::uint8_t*>(buffer));
        return true;
    }
    void setVisible(std::size_t visible) { visible_ = std::min(visible, bytes_.size()); }

  private:
    std::vector<std::uint8_t>& bytes_;
    std::size_t visible_;
};

std::vector<std::uint8_t> loadImage(const std::string& image) {
    std::ifstream file(fs::path(fromUtf8(image)), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

struct MemoryScan {
    NodeStore store;
    KindTotals kinds{(ensureKindTable(), kindCount())};
    ScanCounters counters;
    FileTableOutcome outcome;
};

std::unique_ptr<MemoryScan> scanMemory(MemorySource& source, const VolumeGeometry* known) {
    auto scan = std::make_unique<MemoryScan>();
    scan->store.appendRows(1);
    scan->store.setName(0, u"root");
    scan->store.flags.set(0, FlagFolder);
    scan->store.publish();
    static const ScanOptions options;
    FileTableJob job;
    job.source = &source;
    if (known != nullptr) {
        job.geometry = *known;
    } else if (!readBootGeometry(source, job.geometry)) {
        scan->outcome.refusal = kRefusalGeometry;
        return scan;
    }
    job.options = &options;
    job.store = &scan->store;
    job.kindTotals = &scan->kinds;
    job.counters = &scan->counters;
    job.batchBytes = 64 * 1024;
    scan->outcome = readMasterFileTable(job);
    return scan;
}

// Whatever the damage, the store is a tree: children in range, after their parent, pointing back.
void expectTree(const NodeStore& store) {
    const std::uint64_t rows = store.publishedCount();
    for (NodeId id = 0; id < rows; ++id) {
        const NodeId first = store.firstChild.get(id);
        const std::uint64_t end = std::uint64_t{first} + store.childCount.get(id);
        ASSERT_LE(end, rows);
        for (NodeId child = first; child < end; ++child) {
            ASSERT_GT(child, id);
            ASSERT_EQ(store.parent.get(child), id);
        }
    }
}

// The "basic" image loaded into memory, with the geometry its boot sector gives; the tests damage
// the bytes and read them back through `source`.
class DamagedBasicImage : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string why;
        const std::string image = imagePath("basic", why);
        if (image.empty()) {
            GTEST_SKIP() << why;
        }
        bytes = loadImage(image);
        source.setVisible(bytes.size());
        ASSERT_TRUE(readBootGeometry(source, geometry));
        tableStart = geometry.mftStartCluster * geometry.bytesPerCluster;
    }

    std::vector<std::uint8_t> bytes;
    MemorySource source{bytes};
    VolumeGeometry geometry;
    std::size_t tableStart = 0;
};

// Damaged records, run lists, sizes and boot sectors never crash, hang or read out of bounds
// (the sanitizer builds run this too), and always give a tree or a refusal.
TEST_F(DamagedBasicImage, RandomDamageGivesATreeOrARefusal) {
    const std::size_t tableBytes = 128 * geometry.recordSize;
    ASSERT_LE(tableStart + tableBytes, bytes.size());

    std::mt19937_64 random(20240611);
    const auto pick = [&](std::size_t low, std::size_t high) {
        return std::uniform_int_distribution<std::size_t>(low, high - 1)(random);
    };
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        // Save what is damaged, to put it back afterwards.
        std::vector<std::pair<std::size_t, std::uint8_t>> saved;
        const auto damage = [&](std::size_t offset, std::uint8_t value) {
            saved.emplace_back(offset, bytes[offset]);
            bytes[offset] = value;
        };
        const std::size_t kind = round % 5;
        if (kind == 0) {  // random bytes anywhere in the table's first records
            for (std::size_t i = pick(1, 64); i > 0; --i) {
                damage(tableStart + pick(0, tableBytes), static_cast<std::uint8_t>(random()));
            }
        } else if (kind == 1) {  // huge lengths and offsets in headers
            const std::size_t record = tableStart + pick(0, 128) * geometry.recordSize;
            const std::size_t field = record + pick(0, geometry.recordSize / 4) * 4;
            for (std::size_t i = 0; i < 4 && field + i < bytes.size(); ++i) {
                damage(field + i, round % 2 ? 0xFF : 0x7F);
            }
        } else if (kind == 2) {  // a run list of the table's own first record made up
            const std::size_t record = tableStart;
            for (std::size_t i = 0x100; i < 0x180; ++i) {
                damage(record + i, static_cast<std::uint8_t>(random()));
            }
        } else if (kind == 3) {  // a damaged boot sector
            for (std::size_t i = pick(1, 8); i > 0; --i) {
                damage(pick(0x0B, 0x48), static_cast<std::uint8_t>(random()));
            }
        } else {  // a truncated image
            source.setVisible(pick(0, tableStart + tableBytes + 4096));
        }
        const auto scan = scanMemory(source, nullptr);
        if (scan->outcome.filled) {
            expectTree(scan->store);
        } else {
            EXPECT_FALSE(scan->outcome.refusal.empty());
        }
        for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
            bytes[it->first] = it->second;
        }
        source.setVisible(bytes.size());
    }
}

TEST(DamagedImage, AbsurdGeometryIsRefused) {
    std::vector<std::uint8_t> bytes(64 * 1024);
    MemorySource source(bytes);
    VolumeGeometry geometry;
    geometry.bytesPerSector = 512;
    geometry.bytesPerCluster = 4096;
    geometry.recordSize = 40;
    geometry.totalClusters = 16;
    EXPECT_EQ(scanMemory(source, &geometry)->outcome.refusal, kRefusalGeometry);
    geometry.recordSize = 1u << 30;  // would size buffers from garbage
    EXPECT_EQ(scanMemory(source, &geometry)->outcome.refusal, kRefusalGeometry);
    geometry.recordSize = 1024;
    EXPECT_EQ(scanMemory(source, &geometry)->outcome.refusal, kRefusalFirstRecord);
}

// A record torn by an interrupted write fails its fix-up: its file is missing, the rest is there.
// Where the name `wanted` of a file's resident name attribute lies in the image: the offset of its
// record and of its first unit; 0 and 0 when no record of the first 256 has it.
struct NameInImage {
    std::size_t record = 0;
    std::size_t name = 0;
};

NameInImage findName(const std::vector<std::uint8_t>& bytes, std::size_t tableStart,
                     std::uint32_t recordSize, std::u16string_view wanted) {
    NameInImage found;
    for (std::size_t n = 16; n < 256 && found.record == 0; ++n) {
        const std::size_t offset = tableStart + n * recordSize;
        std::vector<std::uint8_t> record(bytes.begin() + offset,
                                         bytes.begin() + offset + recordSize);
        RecordHeader header;
        if (!applyFixUp(record) || !readRecordHeader(record, header)) {
            continue;
        }
        forEachAttribute(record, header, [&](const Attribute& attribute) {
            Bytes value;
            if (attribute.type != kAttributeFileName || !attribute.residentValue(value) ||
                value.size() < 66 + 2 * wanted.size() || value[64] != wanted.size()) {
                return;
            }
            for (std::size_t i = 0; i < wanted.size(); ++i) {
                if (read16(value, 66 + 2 * i) != wanted[i]) {
                    return;
                }
            }
            found.record = offset;
            found.name = offset + static_cast<std::size_t>(value.data() - record.data()) + 66;
        });
    }
    return found;
}

TEST_F(DamagedBasicImage, TornRecordLosesOnlyItsFile) {
    const std::size_t torn = findName(bytes, tableStart, geometry.recordSize, u"report.pdf").record;
    ASSERT_NE(torn, 0u);
    bytes[torn + kFixUpStride - 1] ^= 0xFF;
    const auto scan = scanMemory(source, nullptr);
    ASSERT_TRUE(scan->outcome.filled);
    const auto rows = rowsByPath(scan->store);
    EXPECT_EQ(rows.count(u"docs/report.pdf"), 0u);
    EXPECT_EQ(rows.count(u"docs/readme.txt"), 1u);
}

// A name holding a unit that no path may hold would split or redirect the path built from it:
// the file is left out, its neighbours stay.
TEST_F(DamagedBasicImage, ANameHoldingNulOrASeparatorIsNotUsed) {
    const NameInImage found = findName(bytes, tableStart, geometry.recordSize, u"report.pdf");
    ASSERT_NE(found.record, 0u);
    // Not the last two bytes of a sector, which the fix-up replaces.
    ASSERT_NE((found.name + 2 - found.record) % kFixUpStride, kFixUpStride - 2);
    const std::vector<std::uint8_t> original = bytes;
    for (const char16_t unit : {u'\0', u'\\', u'/'}) {
        SCOPED_TRACE(static_cast<int>(unit));
        bytes = original;
        bytes[found.name + 2] = static_cast<std::uint8_t>(unit & 0xFF);
        bytes[found.name + 3] = static_cast<std::uint8_t>(unit >> 8);
        const auto scan = scanMemory(source, nullptr);
        ASSERT_TRUE(scan->outcome.filled);
        for (NodeId row = 0; row < scan->store.publishedCount(); ++row) {
            const std::u16string name = scan->store.nameOf(row);
            EXPECT_EQ(name.find_first_of(std::u16string_view(u"\0\\/", 3)), std::u16string::npos);
        }
        const auto rows = rowsByPath(scan->store);
        EXPECT_EQ(rows.count(u"docs/readme.txt"), 1u);
    }
}

}  // namespace
}  // namespace scan::testing
