#include "scan/file_table_decision.h"
#include "scan/mft_record.h"
#include "scan/volume_geometry.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace scan {
namespace {

TEST(DataRuns, DecodeTable) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> pairs;
        bool wellFormed;
        std::vector<DataRun> runs;
    };
    const Case cases[] = {
        {"two runs, the second before the first",
         {0x21, 0x10, 0x00, 0x10, 0x11, 0x05, 0xF0, 0x00},
         true,
         {{0x1000, 0x10, false}, {0x1000 - 0x10, 5, false}}},
        {"a sparse run between two",
         {0x11, 0x04, 0x20, 0x01, 0x08, 0x11, 0x02, 0x04, 0x00},
         true,
         {{0x20, 4, false}, {0, 8, true}, {0x24, 2, false}}},
        {"the end of the attribute ends the list", {0x11, 0x04, 0x20}, true, {{0x20, 4, false}}},
        {"a length field of 0 bytes", {0x10, 0x20, 0x00}, false, {}},
        {"an offset field of 9 bytes", {0x91, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00}, false, {}},
        {"a run passing the end", {0x11, 0x04, 0x20, 0x31, 0x01, 0x02}, false, {{0x20, 4, false}}},
        {"a zero length", {0x11, 0x00, 0x20, 0x00}, false, {}},
        {"a negative length", {0x11, 0xFF, 0x20, 0x00}, false, {}},
        {"a cluster number that overflows",
         {0x81, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x81,
          0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00},
         false,
         {{INT64_MAX, 1, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<DataRun> runs;
        EXPECT_EQ(decodeRuns(c.pairs, SIZE_MAX, runs), c.wellFormed);
        ASSERT_EQ(runs.size(), c.runs.size());
        for (std::size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].firstCluster, c.runs[i].firstCluster);
            EXPECT_EQ(runs[i].clusterCount, c.runs[i].clusterCount);
            EXPECT_EQ(runs[i].sparse, c.runs[i].sparse);
        }
    }
}

TEST(DataRuns, AllocatedClustersSkipSparseRunsAndRefuseImpossibleSums) {
    const std::vector<std::uint8_t> pairs = {0x11, 0x04, 0x20, 0x01, 0x08, 0x11, 0x02, 0x04, 0x00};
    std::uint64_t clusters = 0;
    EXPECT_TRUE(countAllocatedClusters(pairs, 1000, clusters));
    EXPECT_EQ(clusters, 6u);
    EXPECT_FALSE(countAllocatedClusters(pairs, 5, clusters));
    EXPECT_EQ(clusters, 0u);
}

// A record of two 512-byte sectors with an update sequence array at 48.
std::vector<std::uint8_t> recordWithSequence(std::uint16_t sequence) {
    std::vector<std::uint8_t> record(1024);
    record[4] = 48;
    record[6] = 3;
    record[48] = static_cast<std::uint8_t>(sequence);
    record[49] = static_cast<std::uint8_t>(sequence >> 8);
    record[50] = 0xAA;
    record[51] = 0xBB;
    record[52] = 0xCC;
    record[53] = 0xDD;
    for (const std::size_t tail : {510u, 1022u}) {
        record[tail] = static_cast<std::uint8_t>(sequence);
        record[tail + 1] = static_cast<std::uint8_t>(sequence >> 8);
    }
    return record;
}

TEST(FixUp, RestoresSectorEndsAndRejectsDamage) {
    std::vector<std::uint8_t> record = recordWithSequence(0x1234);
    ASSERT_TRUE(applyFixUp(record));
    EXPECT_EQ(record[510], 0xAA);
    EXPECT_EQ(record[511], 0xBB);
    EXPECT_EQ(record[1022], 0xCC);
    EXPECT_EQ(record[1023], 0xDD);

    std::vector<std::uint8_t> torn = recordWithSequence(0x1234);
    torn[1022] = 0x99;
    EXPECT_FALSE(applyFixUp(torn));

    std::vector<std::uint8_t> noCount = recordWithSequence(0x1234);
    noCount[6] = 0;
    EXPECT_FALSE(applyFixUp(noCount));

    std::vector<std::uint8_t> arrayOutside = recordWithSequence(0x1234);
    arrayOutside[4] = 0xFE;
    arrayOutside[5] = 0x03;
    EXPECT_FALSE(applyFixUp(arrayOutside));

    std::vector<std::uint8_t> tooManySectors = recordWithSequence(0x1234);
    tooManySectors[6] = 4;
    EXPECT_FALSE(applyFixUp(tooManySectors));
}

std::array<std::uint8_t, 512> bootSector(std::uint16_t sectorBytes, std::uint8_t sectorsPerCluster,
                                         std::int8_t clustersPerRecord) {
    std::array<std::uint8_t, 512> sector{};
    const char oem[] = "NTFS    ";
    for (int i = 0; i < 8; ++i) {
        sector[3 + i] = static_cast<std::uint8_t>(oem[i]);
    }
    sector[0x0B] = static_cast<std::uint8_t>(sectorBytes);
    sector[0x0C] = static_cast<std::uint8_t>(sectorBytes >> 8);
    sector[0x0D] = sectorsPerCluster;
    sector[0x28] = 0x00;
    sector[0x29] = 0x80;  // 32,768 sectors
    sector[0x30] = 4;     // the table at cluster 4
    sector[0x40] = static_cast<std::uint8_t>(clustersPerRecord);
    return sector;
}

TEST(BootSector, GeometryTable) {
    struct Case {
        const char* what;
        std::array<std::uint8_t, 512> sector;
        bool usable;
        std::uint32_t cluster;
        std::uint32_t record;
    };
    std::array<std::uint8_t, 512> notNtfs = bootSector(512, 8, -10);
    notNtfs[3] = 'X';
    std::array<std::uint8_t, 512> tableOutside = bootSector(512, 8, -10);
    tableOutside[0x36] = 1;
    const Case cases[] = {
        {"4 KiB clusters, 1 KiB records", bootSector(512, 8, -10), true, 4096, 1024},
        {"records of two clusters", bootSector(512, 1, 2), true, 512, 1024},
        {"clusters by a negative exponent", bootSector(512, 0xF4, -10), true, 2u << 20, 1024},
        {"not an NTFS boot sector", notNtfs, false, 0, 0},
        {"sector size 0", bootSector(0, 8, -10), false, 0, 0},
        {"sector size not a power of two", bootSector(500, 8, -10), false, 0, 0},
        {"no sectors per cluster", bootSector(512, 0, -10), false, 0, 0},
        {"clusters beyond 2 MiB", bootSector(512, 0xF0, -10), false, 0, 0},
        {"records of 2^-31 bytes", bootSector(512, 8, -31), false, 0, 0},
        {"records of 0 clusters", bootSector(512, 8, 0), false, 0, 0},
        {"records of 16 bytes", bootSector(512, 8, -4), false, 0, 0},
        {"the table beyond the volume", tableOutside, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VolumeGeometry geometry;
        ASSERT_EQ(geometryFromBootSector(c.sector, geometry), c.usable);
        if (c.usable) {
            EXPECT_EQ(geometry.bytesPerCluster, c.cluster);
            EXPECT_EQ(geometry.recordSize, c.record);
            EXPECT_EQ(geometry.mftStartCluster, 4u);
            EXPECT_EQ(geometry.totalClusters, 32768u * 512 / c.cluster);
        }
    }
}

TEST(FileTableDecision, Table) {
    struct Case {
        const char* what;
        std::uint32_t method;
        bool known;
        bool ntfs;
        bool elevated;
        bool whole;
        bool open;
        std::u16string refusal;
    };
    const Case cases[] = {
        {"folder walk only", 1, true, true, true, true, false, u""},
        {"unknown volume, automatic", 0, false, false, true, true, false, u""},
        {"unknown volume, any folder", 2, false, false, true, true, false,
         u"the volume could not be identified"},
        {"not NTFS, automatic", 0, true, false, true, true, false, u""},
        {"not NTFS, any folder", 2, true, false, true, true, false,
         u"the volume is FAT32, not NTFS"},
        {"not elevated, whole volume", 0, true, true, false, true, false,
         u"reading the master file table needs administrator rights"},
        {"not elevated, a folder", 0, true, true, false, false, false,
         u"reading the master file table needs administrator rights"},
        {"a folder, automatic", 0, true, true, true, false, false, u""},
        {"a folder, any folder", 2, true, true, true, false, true, u""},
        {"the whole volume", 0, true, true, true, true, true, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileTableFacts facts;
        facts.method = c.method;
        facts.volumeKnown = c.known;
        facts.volume.fileSystem = u"FAT32";
        facts.ntfs = c.ntfs;
        facts.elevated = c.elevated;
        facts.wholeVolume = c.whole;
        const FileTableDecision decision = decideFileTable(facts);
        EXPECT_EQ(decision.open, c.open);
        EXPECT_EQ(decision.refusal, c.refusal);
    }
}

TEST(FileTableDecision, PiecesBelowTheVolumeRoot) {
    using Pieces = std::vector<std::u16string>;
    EXPECT_EQ(piecesBelowRoot(u"C:\\", u"C:\\", u'\\'), Pieces{});
    EXPECT_EQ(piecesBelowRoot(u"C:\\", u"C:\\Users\\ann", u'\\'), (Pieces{u"Users", u"ann"}));
    EXPECT_EQ(piecesBelowRoot(u"C:\\Mount\\Data\\", u"C:\\Mount\\Data\\x", u'\\'), Pieces{u"x"});
    EXPECT_EQ(piecesBelowRoot(u"/mnt/ntfs/", u"/mnt/ntfs/a//b", u'/'), (Pieces{u"a", u"b"}));
    EXPECT_EQ(piecesBelowRoot(u"/mnt/ntfs/", u"/mnt/ntfs", u'/'), Pieces{});
}

}  // namespace
}  // namespace scan
