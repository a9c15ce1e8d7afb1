#include "scan/file_kinds.h"

#include <gtest/gtest.h>

#include <string>

namespace scan {
namespace {

class FileKinds : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ensureKindTable(); }
};

TEST_F(FileKinds, TheTableHas76KindsWithFixedOnesFirstAndOtherLast) {
    EXPECT_EQ(kindCount(), 76u);
    EXPECT_EQ(otherKind(), 75);
    EXPECT_EQ(kindName(0), u"Unknown");
    EXPECT_EQ(kindName(1), u"Folder");
    EXPECT_EQ(kindName(2), u"Symbolic link");
    EXPECT_EQ(kindName(3), u"No extension");
    EXPECT_EQ(kindName(4), u"Document");
    EXPECT_EQ(kindName(5), u"PDF document");
    EXPECT_EQ(kindName(74), u"Backup");
    EXPECT_EQ(kindName(75), u"Other");
    EXPECT_EQ(kindName(9999), u"Unknown");
    ensureKindTable();
    EXPECT_EQ(kindCount(), 76u) << "building again changes nothing";
}

TEST_F(FileKinds, NamesAreClassifiedByTheirLastExtension) {
    struct Case {
        std::u16string name;
        FileKind expected;
    };
    const Case cases[] = {
        {u"report.PDF", 5},
        {u"report.pdf", 5},
        {u"REPORT.Pdf", 5},
        {u"archive.tar.gz", 30},
        {u".gitignore", 3},
        {u"notes.", 3},
        {u"README", 3},
        {u"", 3},
        {u".", 3},
        {u"movie.mkv", 21},
        {u"a.verylongext", 75},
        {u"file.abcdefghijklm", 3},
        {u"photo.jp\u00e9", 75},
        {u"photo.JPG", 8},
        {u"data.dat", 67},
        {u"hive.dat_", 75},
        {u"x.appxbundle", 75},
        {u"x.msixbundl", 75},
        {u"backup.crdownload", 75},
        {u"a.b.c.unknownx", 75},
        {u"x.12345678", 75},
        {u"x.7z", 29},
        {u"libc.so", 38},
        {u"x.a", 41},
        {u"main.CPP", 52},
        {u"x.woff2", 70},
        {u"x.crdownloa", 75},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        EXPECT_EQ(classify(c.name), c.expected) << "got " << classify(c.name);
    }
}

TEST_F(FileKinds, OnlyAsciiLettersAreFolded) {
    // U+0130 (capital I with dot) must not fold to i, nor pass as ASCII.
    EXPECT_EQ(classify(u"x.\u0130ni"), otherKind());
    EXPECT_EQ(classify(u"x.INI"), 72);
    EXPECT_EQ(extensionKey(u"txt", 3), 0x747874u);
    EXPECT_EQ(extensionKey(u"TXT", 3), 0x747874u);
    EXPECT_EQ(extensionKey(u"abcdefghi", 9), 0u);
    EXPECT_EQ(extensionKey(u"", 0), 0u);
}

TEST_F(FileKinds, ExtensionsLongerThanEightAreSkippedWhenBuilding) {
    // "appxbundle", "msixbundle" and "crdownload" have ten letters: never keys, so "Other".
    for (const char16_t* name : {u"a.appxbundle", u"a.msixbundle", u"a.crdownload"}) {
        EXPECT_EQ(classify(name, std::char_traits<char16_t>::length(name)), otherKind());
    }
    EXPECT_EQ(classify(u"a.backup"), 74);
    EXPECT_EQ(classify(u"a.settings"), 72) << "eight letters still make a key";
    EXPECT_EQ(classify(u"a.properties"), otherKind()) << "ten do not";
}

}  // namespace
}  // namespace scan
