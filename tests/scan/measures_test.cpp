#include "scan/measures.h"
#include "scan/scan_options.h"

#include <gtest/gtest.h>

namespace scan {
namespace {

TEST(Measures, NamesAndValues) {
    EXPECT_EQ(measureName(0), u"Current Size");
    EXPECT_EQ(measureName(1), u"Added in Last Month");
    EXPECT_EQ(measureName(2), u"Added in Last 6 Months");
    EXPECT_EQ(measureName(3), u"Added Since Last Scan");
    EXPECT_EQ(measureName(7), u"Current Size");

    NodeStore store;
    store.appendRows(1);
    store.size.set(0, 1000);
    store.allocated.set(0, 4096);
    store.addedMonth.set(0, 1);
    store.addedHalfYear.set(0, 2);
    store.addedSinceScan.set(0, 3);
    EXPECT_EQ(measureValue(store, 0, 0, true), 4096);
    EXPECT_EQ(measureValue(store, 0, 0, false), 1000);
    EXPECT_EQ(measureValue(store, 0, 1, true), 1);
    EXPECT_EQ(measureValue(store, 0, 2, false), 2);
    EXPECT_EQ(measureValue(store, 0, 3, true), 3);
    EXPECT_EQ(measureValue(store, 0, 9, false), 1000);
}

TEST(Measures, AddedValuesCountAllocatedBytesFromTheCutoffsOn) {
    ScanOptions options;
    options.monthCutoff = 2'000'000;
    options.halfYearCutoff = 1'000'000;
    struct Case {
        bool hasPrevious;
        std::uint32_t created;
        std::uint64_t month, halfYear, sinceScan;
    };
    const Case cases[] = {
        {true, 0, 0, 0, 0},          {true, 2'000'000, 10, 10, 10}, {true, 1'999'999, 0, 10, 10},
        {true, 1'000'000, 0, 10, 0}, {true, 999'999, 0, 0, 0},      {false, 3'000'000, 10, 10, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.created);
        options.hasPreviousScan = c.hasPrevious;
        options.previousScan = 1'500'000;
        if (c.created == 999'999) {
            options.previousScan = 2'500'000;
        }
        const AddedValues added = addedValuesOf(options, c.created, 10);
        EXPECT_EQ(added.month, c.month);
        EXPECT_EQ(added.halfYear, c.halfYear);
        EXPECT_EQ(added.sinceScan, c.sinceScan);
    }
}

TEST(Measures, KindTotalsListKindsWithFilesInKindOrder) {
    KindTotals totals(76);
    totals.add(30, +1, 4096, 1000, 1, 2, 3);
    totals.add(5, +1, 8192, 5000, 0, 8192, 0);
    totals.add(5, +1, 0, 0, 0, 0, 0);
    totals.add(200, +1, 1, 1, 1, 1, 1);
    totals.add(30, -1, 4096, 1000, 1, 2, 3);
    totals.add(30, +1, 10, 20, 0, 0, 0);

    const auto allocated = kindTotals(totals, 0, false);
    ASSERT_EQ(allocated.size(), 2u);
    EXPECT_EQ(allocated[0].kind, 5u);
    EXPECT_EQ(allocated[0].value, 8192u);
    EXPECT_EQ(allocated[0].files, 2u);
    EXPECT_EQ(allocated[1].kind, 30u);
    EXPECT_EQ(allocated[1].value, 10u);
    EXPECT_EQ(allocated[1].files, 1u);
    EXPECT_EQ(kindTotals(totals, 0, true)[0].value, 5000u);
    EXPECT_EQ(kindTotals(totals, 2, true)[0].value, 8192u);
    EXPECT_EQ(kindTotals(totals, 3, true)[1].value, 0u);
}

}  // namespace
}  // namespace scan
