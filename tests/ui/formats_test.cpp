#include "ui/formats.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <limits>
#include <string>

namespace ui {
namespace {

std::string narrow(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

TEST(Formats, SizeTextChoosesTheUnitBeforeRounding) {
    struct Case {
        std::int64_t bytes;
        const char* expected;
    };
    const Case cases[] = {
        {0, "0 B"},
        {999, "999 B"},
        {-999, "-999 B"},
        {1000, "1.0 kB"},
        {1050, "1.1 kB"},
        {-1000, "-1.0 kB"},
        {-1500, "-1.5 kB"},
        {999'949, "999.9 kB"},
        {999'950, "1000.0 kB"},
        {1'000'000, "1.0 MB"},
        {1'234'567'890, "1.2 GB"},
        {1'000'000'000'000, "1.0 TB"},
        {1'000'000'000'000'000, "1.0 PB"},
        {1'000'000'000'000'000'000, "1000.0 PB"},
        {std::numeric_limits<std::int64_t>::max(), "9223.4 PB"},
        {std::numeric_limits<std::int64_t>::min(), "-9223.4 PB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(narrow(sizeText(c.bytes)), c.expected);
    }
}

TEST(Formats, CountTextGroupsThousandsWithCommas) {
    struct Case {
        std::int64_t count;
        const char* expected;
    };
    const Case cases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {-1000, "-1,000"},
        {1'000'000, "1,000,000"},
        {123'456'789, "123,456,789"},
        {std::numeric_limits<std::int64_t>::min(), "-9,223,372,036,854,775,808"},
        {std::numeric_limits<std::int64_t>::max(), "9,223,372,036,854,775,807"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(narrow(countText(c.count)), c.expected);
    }
}

TEST(Formats, SecondsTextHasOneDecimalAndNoSpace) {
    EXPECT_EQ(narrow(secondsText(12)), "12.0s");
    EXPECT_EQ(narrow(secondsText(0.04)), "0.0s");
    EXPECT_EQ(narrow(secondsText(0.05)), "0.1s");
    EXPECT_EQ(narrow(secondsText(3661.25)), "3661.2s");
}

TEST(Formats, TextsDoNotFollowTheLocale) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    bool commaLocale = false;
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "German_Germany.1252"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            commaLocale = *std::localeconv()->decimal_point == ',';
            break;
        }
    }
    const std::string size = narrow(sizeText(1500));
    const std::string seconds = narrow(secondsText(2.5));
    std::setlocale(LC_NUMERIC, previous.c_str());
    if (!commaLocale) {
        GTEST_SKIP() << "no locale with a decimal comma is installed here";
    }
    EXPECT_EQ(size, "1.5 kB");
    EXPECT_EQ(seconds, "2.5s");
}

}  // namespace
}  // namespace ui
