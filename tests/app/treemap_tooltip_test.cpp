#include "app/treemap_tooltip.h"
#include "app/measure_box.h"
#include "panes/inspector_rows.h"

#include "scan/file_kinds.h"
#include "scan/text.h"
#include "scan_fixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace app {
namespace {

// C:\ holding Data, which holds photo.jpg and notes.
class SmallDrive {
  public:
    SmallDrive() {
        scan::ensureKindTable();
        store_.appendRows(4);
        const auto row = [&](scan::NodeId n, scan::NodeId parent, std::u16string_view name,
                             bool folder, std::uint64_t size, std::uint64_t allocated) {
            store_.parent.set(n, parent);
            store_.setName(n, name);
            store_.flags.set(n, folder ? scan::FlagFolder : 0);
            store_.kind.set(n, folder ? scan::KindFolder : scan::classify(name));
            store_.size.set(n, size);
            store_.allocated.set(n, allocated);
        };
        row(0, 0, u"C:\\", true, 1600, 8192);
        row(1, 0, u"Data", true, 1600, 8192);
        row(2, 1, u"photo.jpg", false, 1500, 4096);
        row(3, 1, u"notes", false, 100, 4096);
        store_.addedMonth.set(2, 700);
        store_.publish();
    }

    TooltipFacts facts() const {
        TooltipFacts f;
        f.store = &store_;
        f.space = {1'000'000, 250'000, 8192, true};
        return f;
    }

  private:
    scan::NodeStore store_;
};

TEST(TreemapTooltip, NamesNodesAndDriveSpace) {
    SmallDrive drive;
    const std::string jpeg = scan::toUtf8(scan::kindName(scan::classify(u"photo.jpg")));
    TooltipFacts noScan = drive.facts();
    noScan.store = nullptr;
    TooltipFacts elsewhere = drive.facts();
    elsewhere.space.scannedVolumeRoot = false;
    TooltipFacts everythingFound = drive.facts();
    everythingFound.space.rootAllocated = 900'000;
    TooltipFacts logical = drive.facts();
    logical.physicalSizes = false;
    TooltipFacts month = drive.facts();
    month.measure = scan::MeasureAddedMonth;

    struct Case {
        const char* name;
        TooltipFacts facts;
        std::int32_t node, hidden;
        bool shown;
        const char* title;
        std::string body;
    };
    const Case cases[] = {
        {"no scan", noScan, treemap::FreeSpaceId, 0, false, "", ""},
        {"free space", drive.facts(), treemap::FreeSpaceId, 0, true, "Free space on this drive",
         "250.0 kB"},
        // 1,000,000 − 8,192 − 250,000
        {"other space of a whole drive", drive.facts(), treemap::OtherSpaceId, 0, true,
         "Not reached by this scan",
         "741.8 kB  ·  folders that could not be opened, and the file system's own records"},
        {"other space of a folder", elsewhere, treemap::OtherSpaceId, 0, true,
         "Everything else on this drive", "741.8 kB"},
        {"the scan found more than the drive reports", everythingFound, treemap::OtherSpaceId, 0,
         true, "Not reached by this scan",
         "0 B  ·  folders that could not be opened, and the file system's own records"},
        {"another negative id", drive.facts(), -4, 0, false, "", ""},
        {"a row not published", drive.facts(), 4, 0, false, "", ""},
        {"a file", drive.facts(), 2, 0, true, "C:\\Data\\photo.jpg", "4.1 kB  ·  " + jpeg},
        {"a file's logical size", logical, 2, 0, true, "C:\\Data\\photo.jpg", "1.5 kB  ·  " + jpeg},
        {"a file under another measure", month, 2, 0, true, "C:\\Data\\photo.jpg",
         "700 B  ·  " + jpeg},
        {"a folder", drive.facts(), 1, 0, true, "C:\\Data", "8.2 kB  ·  Folder"},
        {"merged small items", drive.facts(), 3, 12, true, "C:\\Data\\notes",
         "4.1 kB  ·  No extension  ·  with 11 other items too small to draw"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<Tooltip> tooltip = treemapTooltip(c.facts, c.node, c.hidden);
        ASSERT_EQ(tooltip.has_value(), c.shown);
        if (c.shown) {
            EXPECT_EQ(scan::toUtf8(tooltip->title), c.title);
            EXPECT_EQ(scan::toUtf8(tooltip->body), c.body);
        }
    }
}

TEST(TreemapTooltip, DisplayTextPutsTheBodyOnItsOwnLine) {
    EXPECT_EQ(tooltipDisplayText({u"C:\\Data", u""}), u"C:\\Data");
    EXPECT_EQ(tooltipDisplayText({u"C:\\Data", u"8.2 kB"}), u"C:\\Data\n8.2 kB");
}

TEST(MeasureBox, OnlyTheLastItemTellsThatNoPreviousScanIsKnown) {
    EXPECT_EQ(measureItemText(scan::MeasureCurrentSize, 0), u"Current Size");
    EXPECT_EQ(measureItemText(scan::MeasureAddedMonth, 0), u"Added in Last Month");
    EXPECT_EQ(measureItemText(scan::MeasureAddedHalfYear, 0), u"Added in Last 6 Months");
    EXPECT_EQ(measureItemText(scan::MeasureAddedSinceScan, 0),
              u"Added Since Last Scan (no previous scan)");
    EXPECT_EQ(measureItemText(scan::MeasureAddedSinceScan, 1'700'000'000),
              u"Added Since Last Scan");
}

class ScannedDrive : public scan::testing::TempFolder {};

TEST_F(ScannedDrive, DriveSpaceAndTooltipsFollowARealScan) {
    writeFile("top/a/b.dat", 5000);
    writeFile("top/c.dat", 300);
    scan::ScanController controller;
    EXPECT_EQ(driveSpaceOf(controller).volumeTotal, 0) << "no scan, no drive";

    const std::u16string root = scan::normalisePath(rootText() + u"/top");
    controller.startScan(root);
    controller.joinWorker();
    const scan::NodeStore& store = controller.scanner()->store();
    ASSERT_EQ(store.publishedCount(), 4u);

    const treemap::DriveSpace space = driveSpaceOf(controller);
    EXPECT_EQ(space.volumeTotal, static_cast<std::int64_t>(controller.volume().totalBytes));
    EXPECT_EQ(space.volumeFree, static_cast<std::int64_t>(controller.volume().freeBytes));
    EXPECT_EQ(space.rootAllocated, store.allocated.get(0));
    EXPECT_FALSE(space.scannedVolumeRoot);

    TooltipFacts facts{&store, space, scan::MeasureCurrentSize, false, u'/'};
    bool sawFile = false;
    for (scan::NodeId row = 0; row < store.publishedCount(); ++row) {
        if (store.nameOf(row) == u"b.dat") {
            const auto tooltip = treemapTooltip(facts, static_cast<std::int32_t>(row), 0);
            ASSERT_TRUE(tooltip);
            EXPECT_EQ(tooltip->title, root + u"/a/b.dat");
            EXPECT_EQ(scan::toUtf8(tooltip->body).substr(0, 11), "5.0 kB  · ");
            sawFile = true;
        }
    }
    EXPECT_TRUE(sawFile);
}

// A folder whose listing failed holds nothing and is 0 bytes, which every view would show as an
// empty folder; each says instead that it could not be read, and an empty folder stays empty.
TEST(UnreadableFolder, TheTooltipTheListAndThePanelSaySo) {
    scan::ensureKindTable();
    scan::NodeStore store;
    store.appendRows(3);
    for (const scan::NodeId n : {0u, 1u, 2u}) {
        store.parent.set(n, 0);
        store.kind.set(n, scan::KindFolder);
        store.flags.set(n, scan::FlagFolder);
    }
    store.setName(0, u"C:\\");
    store.setName(1, u"Locked");
    store.setName(2, u"Empty");
    store.flags.set(1, scan::FlagFolder | scan::FlagUnopened);
    store.fileCount.set(0, 1);
    store.publish();
    TooltipFacts facts;
    facts.store = &store;

    struct Case {
        scan::NodeId node;
        const char* tooltip;
        const char* listValue;
        const char* contains;
    };
    const Case cases[] = {
        {1, "0 B  ·  Folder  ·  could not be read", "could not be read", "could not be read"},
        {2, "0 B  ·  Folder", "0 B", "0 files"},
        {0, "0 B  ·  Folder", "0 B", "1 file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        const std::optional<Tooltip> tooltip =
            treemapTooltip(facts, static_cast<std::int32_t>(c.node), 0);
        ASSERT_TRUE(tooltip.has_value());
        EXPECT_EQ(scan::toUtf8(tooltip->body), c.tooltip);
        EXPECT_EQ(scan::toUtf8(panes::listValueText(store, c.node, 0)), c.listValue);
        const panes::Information information =
            panes::informationFor(store, c.node, u"C:\\x", u"0 B", std::nullopt);
        std::string contains;
        for (const panes::InfoRow& row : information.rows) {
            if (row.label == u"Contains") {
                contains = scan::toUtf8(row.value);
            }
        }
        EXPECT_EQ(contains, c.contains);
    }
}

}  // namespace
}  // namespace app
