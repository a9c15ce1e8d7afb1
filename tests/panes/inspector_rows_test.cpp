// The words of the information panel's attribute line, for every bit it names, the ones the
// test systems cannot give a real file among them.

#include "panes/inspector_rows.h"

#include <gtest/gtest.h>

namespace panes {
namespace {

TEST(AttributesTextTest, NamesTheBitsInAFixedOrderAndNothingElse) {
    constexpr std::uint32_t kDirectory = 0x10;
    constexpr std::uint32_t kArchive = 0x20;
    constexpr std::uint32_t kNotIndexed = 0x2000;
    const struct {
        std::uint32_t bits;
        const char16_t* text;
    } cases[] = {
        {0, u"normal"},
        {kDirectory | kArchive, u"normal"},
        {kNotIndexed, u"normal"},
        {kAttributeReadOnly, u"read only"},
        {kAttributeCompressed, u"compressed"},
        {kAttributeEncrypted, u"encrypted"},
        {kAttributeSparse, u"sparse"},
        {kAttributeReparsePoint | kDirectory, u"reparse point"},
        {kAttributeTemporary, u"temporary"},
        {kAttributeHidden | kAttributeReadOnly, u"read only, hidden"},
        {kAttributeReparsePoint | kAttributeSparse | kAttributeEncrypted | kAttributeCompressed,
         u"compressed, encrypted, sparse, reparse point"},
        {kAttributeTemporary | kAttributeReparsePoint | kAttributeSparse | kAttributeEncrypted |
             kAttributeCompressed | kAttributeSystem | kAttributeHidden | kAttributeReadOnly |
             kArchive,
         u"read only, hidden, system, compressed, encrypted, sparse, reparse point, temporary"},
        {kInvalidAttributes, u"\u2014"},
        {0xFFFFFFFE, u"hidden, system, compressed, encrypted, sparse, reparse point, temporary"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        EXPECT_EQ(attributesText(c.bits), c.text);
    }
}

TEST(ChainRowAtTest, RowsAreCountedFromTheTopAndNothingLiesOutsideThem) {
    EXPECT_EQ(chainRowAt(0, 22, 3), 0);
    EXPECT_EQ(chainRowAt(21, 22, 3), 0);
    EXPECT_EQ(chainRowAt(22, 22, 3), 1);
    EXPECT_EQ(chainRowAt(65, 22, 3), 2);
    EXPECT_EQ(chainRowAt(66, 22, 3), -1) << "below the last row";
    EXPECT_EQ(chainRowAt(-1, 22, 3), -1);
    EXPECT_EQ(chainRowAt(0, 22, 0), -1);
}

}  // namespace
}  // namespace panes
