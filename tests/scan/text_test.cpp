#include "scan/text.h"

#include <gtest/gtest.h>

#include <string>

namespace scan {
namespace {

TEST(Text, Utf8AndUtf16ConvertBothWays) {
    const std::u16string text = u"Fotos \u00e9t\u00e9 \u65e5\u672c \U0001F600";
    const std::string utf8 = "Fotos \xc3\xa9t\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80";
    EXPECT_EQ(toUtf8(text), utf8);
    EXPECT_EQ(fromUtf8(utf8), text);
    EXPECT_EQ(toUtf8(u""), "");
    EXPECT_EQ(fromUtf8(""), u"");
}

TEST(Text, IllFormedTextBecomesReplacementCharacters) {
    EXPECT_EQ(toUtf8(std::u16string(1, char16_t{0xD800}) + u"a"),
              "\xef\xbf\xbd"
              "a");
    EXPECT_EQ(fromUtf8("a\xff"
                       "b"),
              u"a\ufffdb");
    EXPECT_EQ(fromUtf8("\xc0\xaf"), u"\ufffd\ufffd") << "overlong forms are refused";
    EXPECT_EQ(fromUtf8("\xed\xa0\x80"), u"\ufffd\ufffd\ufffd") << "encoded surrogates are refused";
    EXPECT_EQ(fromUtf8("\xe6\x97"), u"\ufffd\ufffd") << "a cut sequence";
}

TEST(Text, FileNamesSurviveTheRoundTripToTheirExactBytes) {
    const std::string names[] = {
        "plain.txt",        "caf\xc3\xa9",  "latin1-caf\xe9",
        "\xff\xfe\x80",     "cut-\xe6\x97", "\xed\xa0\x80-encoded-surrogate",
        "\xf0\x9f\x98\x80",
    };
    for (const std::string& bytes : names) {
        SCOPED_TRACE(bytes);
        const std::u16string name = fileNameFromBytes(bytes);
        EXPECT_EQ(fileNameToBytes(name), bytes);
    }
    EXPECT_EQ(fileNameFromBytes("caf\xe9"), u"caf\xdce9");
    EXPECT_EQ(fileNameFromBytes("caf\xc3\xa9"), u"caf\u00e9");
    std::u16string joined = u"folder/";
    appendFileNameFromBytes(joined, "ab\xc3\xa9z\xff.txt");
    EXPECT_EQ(joined, u"folder/ab\u00e9z\xdcff.txt") << "appending keeps what was there";
}

}  // namespace
}  // namespace scan
