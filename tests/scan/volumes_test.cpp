#include "scan/volumes.h"

#include <gtest/gtest.h>

namespace scan {
namespace {

VolumeInfo drive(const char16_t* root, std::uint64_t total) {
    VolumeInfo info;
    info.volumeRoot = root;
    info.totalBytes = total;
    return info;
}

TEST(Volumes, TheSystemDriveComesFirstThenFixedThenRemovableEachLargestFirst) {
    const std::vector<VolumeInfo> ordered = orderDrives({
        {2, drive(u"E:\\", 64)},
        {1, drive(u"D:\\", 500)},
        {1, drive(u"F:\\", 2000)},
        {0, drive(u"C:\\", 250)},
        {1, drive(u"G:\\", 500)},
        {2, drive(u"Z:\\", 1000)},
    });
    std::u16string order;
    for (const VolumeInfo& info : ordered) {
        order += info.volumeRoot.substr(0, 1);
    }
    EXPECT_EQ(order, u"CFDGZE") << "equal sizes keep letter order";
}

TEST(Volumes, TrailingSeparatorsGoDownToTheKeptLength) {
    EXPECT_EQ(withoutTrailingSeparators(u"C:\\\\", 3), u"C:\\");
    EXPECT_EQ(withoutTrailingSeparators(u"C:\\", 1), u"C:");
    EXPECT_EQ(withoutTrailingSeparators(u"/srv/x//", 1), u"/srv/x");
    EXPECT_EQ(withoutTrailingSeparators(u"/", 1), u"/");
    EXPECT_EQ(withoutTrailingSeparators(u"", 1), u"");
}

}  // namespace
}  // namespace scan
