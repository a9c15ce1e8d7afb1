// Path forms and volumes on Windows (under Wine in the project's own test runs).

#include "scan_fixture.h"

namespace scan::testing {
namespace {

TEST(WindowsPaths, NormalisingKeepsRootsAndDropsTrailingSeparators) {
    struct Case {
        std::u16string path;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"", u""},
        {u"C:\\", u"C:\\"},
        {u"C:\\\\", u"C:\\"},
        {u"D:\\Data\\", u"D:\\Data"},
        {u"D:\\Data\\x\\..\\y", u"D:\\Data\\y"},
        {u"\\\\server\\share\\", u"\\\\server\\share"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.path));
        EXPECT_EQ(normalisePath(c.path), c.expected);
    }
}

TEST(WindowsPaths, LongPathForms) {
    EXPECT_EQ(longPathOf(u"C:\\"), u"\\\\?\\C:\\");
    EXPECT_EQ(longPathOf(u"D:\\Data"), u"\\\\?\\D:\\Data");
    EXPECT_EQ(longPathOf(u"\\\\server\\share"), u"\\\\?\\UNC\\server\\share");
    EXPECT_EQ(longPathOf(u"\\\\?\\C:\\x"), u"\\\\?\\C:\\x");
}

TEST(WindowsVolumes, TheSystemDriveIsAWholeVolumeAndListedFirst) {
    EXPECT_EQ(volumeRootOf(u"C:\\windows"), u"C:\\");
    EXPECT_TRUE(isWholeVolume(u"C:\\"));
    EXPECT_TRUE(isWholeVolume(u"c:\\"));
    EXPECT_FALSE(isWholeVolume(u"C:\\windows"));
    const std::vector<VolumeInfo> drives = listDrives();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives[0].volumeRoot, u"C:\\");
    EXPECT_EQ(drives[0].usedBytes, drives[0].totalBytes - drives[0].freeBytes);
    EXPECT_TRUE(equalIgnoringCase(u"Program Files", u"PROGRAM FILES"));
    EXPECT_FALSE(equalIgnoringCase(u"a", u"ab"));
}

}  // namespace
}  // namespace scan::testing
