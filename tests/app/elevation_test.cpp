#include "app/elevation.h"

#include <gtest/gtest.h>

#include <string>

namespace app {
namespace {

TEST(Elevation, OfferedOnlyOnceForAWholeDriveWhoseFileTableWasRefused) {
    struct Case {
        const char* name;
        ElevationFacts facts;
        bool offered;
    };
    const Case cases[] = {
        {"a whole drive, refused", {false, true, true, true}, true},
        {"already offered for this scan", {true, true, true, true}, false},
        {"the user turned the offer off", {false, false, true, true}, false},
        {"a folder, refused (nothing to gain)", {false, true, true, false}, false},
        {"a whole drive read through its table", {false, true, false, true}, false},
        {"a folder walked", {false, true, false, false}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(shouldOfferElevation(c.facts), c.offered);
    }
}

TEST(Elevation, TheRestartQuotesThePathAndDoublesOnlyTheBackslashesBeforeTheQuote) {
    struct Case {
        std::u16string root;
        std::u16string parameters;
    };
    const Case cases[] = {
        {u"", u""},
        {u"C:\\", u"\"C:\\\\\""},
        {u"D:\\Program Files\\My Data", u"\"D:\\Program Files\\My Data\""},
        {u"\\\\server\\share\\", u"\"\\\\server\\share\\\\\""},
        {u"E:\\a\\\\\\", u"\"E:\\a\\\\\\\\\\\\\""},
        {u"\\\\?\\C:\\very\\long", u"\"\\\\?\\C:\\very\\long\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.root.begin(), c.root.end()));
        EXPECT_EQ(restartParameters(c.root), c.parameters);
    }
}

}  // namespace
}  // namespace app
