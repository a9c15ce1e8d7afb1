#include "update/running_version_win32.h"

#include <gtest/gtest.h>

#include <string>

namespace update {
namespace {

TEST(RunningVersion, IsTheFirstThreePartsOfTheFileVersion) {
    // The test program carries the file version 2.300.65535.7.
    EXPECT_EQ(runningVersion(), u"2.300.65535");
}

TEST(RunningVersion, TheProgramPathIsReadWholeFromAnyStartingBuffer) {
    const std::u16string path = programPath();
    ASSERT_GT(path.size(), 3u);
    EXPECT_EQ(path.substr(1, 2), u":\\");
    const std::u16string name = u"update_tests.exe";
    ASSERT_GE(path.size(), name.size());
    EXPECT_EQ(path.substr(path.size() - name.size()), name);
    for (const std::size_t capacity :
         {std::size_t{0}, std::size_t{1}, std::size_t{7}, path.size(), path.size() + 1}) {
        SCOPED_TRACE(capacity);
        EXPECT_EQ(programPath(capacity), path);
    }
}

}  // namespace
}  // namespace update
