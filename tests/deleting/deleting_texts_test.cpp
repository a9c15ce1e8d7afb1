// The texts of the deleting dialogs, why an item is refused before the shell sees it, and the
// pending pane's geometry and countdown disc.

#include "deleting/deleting_texts.h"
#include "deleting/pending_pane_layout.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace deleting {
namespace {

std::string narrow(const std::u16string& text) {
    return {text.begin(), text.end()};
}

TEST(DeletingTexts, CountsAndMessagesReadAsSentences) {
    EXPECT_EQ(leavingText(1),
              u"1 item is waiting to be deleted. Leaving this scan deletes it immediately.");
    EXPECT_EQ(leavingText(2),
              u"2 items are waiting to be deleted. Leaving this scan deletes them immediately.");
    EXPECT_TRUE(leavingText(1234).starts_with(u"1234 items are ")) << "plain digits";
    EXPECT_EQ(deleteNowText(1),
              u"1 item will go to the Recycle Bin straight away, without the rest of the "
              u"countdown. This cannot be undone from here.");
    EXPECT_TRUE(deleteNowText(3).starts_with(u"3 items will go"));
    EXPECT_EQ(failureText(u"C:\\data\\a.txt", kRefusedReason),
              u"C:\\data\\a.txt could not be moved to the Recycle Bin - the Recycle Bin refused "
              u"it. It is still where it was.");
}

TEST(DeletingTexts, AnItemThatWouldBeDestroyedInsteadIsRefusedWithItsReason) {
    using Drive = RecycleFacts::Drive;
    const auto facts = [](Drive drive) {
        RecycleFacts f;
        f.drive = drive;
        return f;
    };
    RecycleFacts noAnswer;
    noAnswer.binAnswers = false;
    RecycleFacts policy;
    policy.switchedOffByPolicy = true;
    RecycleFacts nuke;
    nuke.deletesAtOnce = true;
    RecycleFacts tooLarge;
    tooLarge.capacity = 1000;
    tooLarge.bytes = 1001;
    RecycleFacts fits = tooLarge;
    fits.bytes = 1000;
    RecycleFacts unknownRoom;
    unknownRoom.bytes = 1 << 30;
    RecycleFacts remoteAndOff = facts(Drive::Remote);
    remoteAndOff.switchedOffByPolicy = true;

    const struct {
        const char* name;
        std::u16string path;
        RecycleFacts facts;
        std::u16string reason;
    } cases[] = {
        {"a fixed drive with a bin", u"C:\\a.txt", {}, u""},
        {"a star in the name",
         u"C:\\x\\*.txt",
         {},
         u"its name holds * or ?, which the Recycle "
         u"Bin would take as a pattern"},
        {"a question mark",
         u"/tmp/what?",
         {},
         u"its name holds * or ?, which the Recycle Bin "
         u"would take as a pattern"},
        {"a network drive", u"\\\\server\\share\\a", facts(Drive::Remote),
         u"this network drive has no Recycle Bin"},
        {"the drive comes before the policy", u"\\\\s\\x\\a", remoteAndOff,
         u"this network drive has no Recycle Bin"},
        {"a removable drive", u"E:\\a", facts(Drive::Removable), u"this drive has no Recycle Bin"},
        {"an optical drive", u"D:\\a", facts(Drive::Optical), u"this drive has no Recycle Bin"},
        {"a RAM disk", u"R:\\a", facts(Drive::RamDisk), u"this drive has no Recycle Bin"},
        {"an unknown drive", u"Q:\\a", facts(Drive::Unknown), u"this drive has no Recycle Bin"},
        {"a bin that does not answer", u"C:\\a", noAnswer, u"this drive has no Recycle Bin"},
        {"policy", u"C:\\a", policy, u"the Recycle Bin is switched off by policy"},
        {"removes at once", u"C:\\a", nuke,
         u"the Recycle Bin of this drive is set to remove files immediately"},
        {"larger than the bin", u"C:\\a", tooLarge,
         u"it is larger than the Recycle Bin of this drive can hold"},
        {"exactly the bin's size", u"C:\\a", fits, u""},
        {"a bin of unknown size", u"C:\\a", unknownRoom, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(narrow(recycleRefusal(c.path, c.facts)), narrow(c.reason));
    }
}

TEST(DeletingTexts, NamesTheShellWouldMisreadAreRefused) {
    const struct {
        std::vector<std::u16string> names;
        bool refused;
    } cases[] = {
        {{u"docs", u"report.txt"}, false},
        {{u"caf\u00e9", u"\u65e5\u672c.txt", u"a b", u".hidden", u"..x"}, false},
        {{u"docs", std::u16string(u"re\0port", 7)}, true},
        {{u"a\\b"}, true},
        {{u"a/b"}, true},
        {{u"docs", u".."}, true},
        {{u"."}, true},
        {{u"tab\there"}, true},
        {{u"line\nbreak"}, true},
        {{u"del\x7F"}, true},
        {{u""}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(narrow(c.names.back()));
        EXPECT_EQ(!unsafeNameReason(c.names).empty(), c.refused);
    }
}

// Only a delete that the shell announces as a move into the Recycle Bin may go on.
TEST(RecycleOutcome, OnlyADeleteIntoTheBinMayGoOn) {
    EXPECT_TRUE(mayDeleteItem(kRecycleIfPossible));
    EXPECT_TRUE(mayDeleteItem(kRecycleIfPossible | 0x1 | 0x400));
    EXPECT_FALSE(mayDeleteItem(0));
    EXPECT_FALSE(mayDeleteItem(0x1 | 0x2 | 0x40 | 0x100));
}

TEST(RecycleOutcome, TheDiskAfterwardsDecidesWhatHappened) {
    const auto shell = [](bool attempted, bool succeeded, std::optional<bool> inBin,
                          const char16_t* reason) {
        ShellAttempt attempt;
        attempt.attempted = attempted;
        attempt.succeeded = succeeded;
        attempt.reachedBin = inBin;
        attempt.reason = reason;
        return attempt;
    };
    const auto disk = [](bool there, bool folder, std::int64_t before, std::int64_t left) {
        return DiskAfter{there, folder, before, left};
    };
    const struct {
        const char* name;
        ShellAttempt attempt;
        DiskAfter after;
        Outcome outcome;
        bool stillThere;
        std::u16string reason;
        std::int64_t moved;
    } cases[] = {
        {"moved", shell(true, true, true, u""), disk(false, false, 0, 0), Outcome::Moved, true, u"",
         0},
        {"moved, the bin's count unknown", shell(true, true, std::nullopt, u""),
         disk(false, true, 4, 0), Outcome::Moved, true, u"", 0},
        {"success said, item still there", shell(true, true, true, u""), disk(true, false, 0, 0),
         Outcome::NotMoved, true, u"the Recycle Bin refused it", 0},
        {"refused before the shell",
         shell(false, false, std::nullopt, u"this drive has no Recycle Bin"),
         disk(true, true, 4, 4), Outcome::NotMoved, true, u"this drive has no Recycle Bin", 0},
        {"failed, folder whole", shell(true, false, false, u""), disk(true, true, 4, 4),
         Outcome::NotMoved, true, u"the Recycle Bin refused it", 0},
        {"failed, folder half moved", shell(true, false, false, u"a file is in use"),
         disk(true, true, 4, 1), Outcome::PartlyMoved, true, u"a file is in use", 3},
        {"failed, item gone", shell(true, false, false, u""), disk(false, false, 0, 0),
         Outcome::NotMoved, false, u"the Recycle Bin refused it", 0},
        {"success said, bin did not grow", shell(true, true, false, u""), disk(false, false, 0, 0),
         Outcome::Destroyed, true, u"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DeleteReport report = judgeAttempt(u"C:\\x", c.attempt, c.after);
        EXPECT_EQ(report.outcome, c.outcome);
        EXPECT_EQ(report.stillThere, c.stillThere);
        EXPECT_EQ(narrow(report.reason), narrow(c.reason));
        EXPECT_EQ(report.filesMoved, c.moved);
    }
}

TEST(DeletingTexts, OneMessageTellsWhatHappenedToEveryItemOfAStep) {
    const auto report = [](const char16_t* path, Outcome outcome, bool stillThere = true) {
        DeleteReport r;
        r.path = path;
        r.outcome = outcome;
        r.reason = u"the Recycle Bin refused it";
        r.stillThere = stillThere;
        r.filesMoved = 2;
        r.files = 5;
        return r;
    };
    EXPECT_EQ(reportText({report(u"C:\\a", Outcome::Moved)}), u"");
    EXPECT_EQ(reportText({report(u"C:\\a", Outcome::NotMoved)}),
              failureText(u"C:\\a", kRefusedReason));
    EXPECT_EQ(reportText({report(u"C:\\a", Outcome::Changed)}),
              u"C:\\a was not moved to the Recycle Bin - it changed on disk since it was chosen. "
              u"Nothing was moved, and its folder is read again.");
    EXPECT_EQ(reportText({report(u"C:\\a", Outcome::PartlyMoved)}),
              u"C:\\a was partly moved: 2 of 5 files are in the Recycle Bin; the rest could not "
              u"be moved - the Recycle Bin refused it. Its folder is read again.");
    const std::u16string gone = reportText({report(u"C:\\a", Outcome::NotMoved, false)});
    EXPECT_EQ(gone.find(u"still where it was"), std::u16string::npos);
    EXPECT_NE(gone.find(u"no longer where it was"), std::u16string::npos);
    EXPECT_NE(reportText({report(u"C:\\a", Outcome::Destroyed)}).find(u"deleted permanently"),
              std::u16string::npos);

    std::vector<DeleteReport> many;
    for (int i = 0; i < 44; ++i) {
        many.push_back(
            report((u"C:\\f" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26))).c_str(),
                   Outcome::NotMoved));
    }
    many.push_back(report(u"C:\\moved", Outcome::Moved));
    // All alike: one explanation, then the paths.
    std::u16string text = reportText(many);
    EXPECT_EQ(text.substr(0, text.find(u'\n')),
              u"44 items could not be moved to the Recycle Bin. For each of them: the Recycle Bin "
              u"refused it. They are still where they were:");
    EXPECT_NE(text.find(u"\n\u2022 C:\\fA\n"), std::u16string::npos);
    EXPECT_EQ(text.find(u"C:\\fF"), std::u16string::npos) << "five are listed by name";
    EXPECT_EQ(text.find(u"moved\n"), std::u16string::npos) << "what reached the bin is not listed";
    EXPECT_TRUE(text.ends_with(u"\nand 39 more."));

    // Ended in different ways: a line each says how.
    many[1] = report(u"C:\\changed", Outcome::Changed);
    text = reportText(many);
    EXPECT_TRUE(text.starts_with(u"44 items did not go to the Recycle Bin as chosen:\n"));
    EXPECT_NE(text.find(u"\u2022 C:\\fA - the Recycle Bin refused it; it is still where it was"),
              std::u16string::npos);
    EXPECT_NE(text.find(u"\u2022 C:\\changed - it changed on disk since it was chosen"),
              std::u16string::npos);
}

TEST(PendingPaneLayout, RowsButtonsAndFooterFollowTheMetricsAtEveryDpi) {
    const PaneMetrics m = PaneMetrics::at(96);
    const RowBoxes row = rowBoxes(m, 320, 30);
    EXPECT_EQ(row.row, (Box{0, 30, 320, 64}));
    EXPECT_EQ(row.disc, (Box{10, 39, 26, 55}));
    EXPECT_EQ(row.button, (Box{236, 36, 310, 58}));
    EXPECT_EQ(row.size, (Box{160, 30, 228, 64}));
    EXPECT_EQ(row.name, (Box{34, 30, 160, 64}));
    // A pane too narrow for the size column still gives the name its least width.
    EXPECT_EQ(rowBoxes(m, 150, 0).name.right, 44);

    const FooterButtons footer = footerButtons(m, 320, 600);
    EXPECT_EQ(footer.undeleteAll, (Box{10, 566, 156, 590}));
    EXPECT_EQ(footer.deleteNow, (Box{164, 566, 310, 590}));

    const PaneMetrics big = PaneMetrics::at(192);
    EXPECT_EQ(big.row, 68);
    EXPECT_EQ(rowBoxes(big, 640, 60).button, (Box{472, 72, 620, 116}));
}

TEST(PendingPaneLayout, APaintCoversTheVisibleRowsAndTheOffsetNeverPassesTheEnd) {
    const PaneMetrics m = PaneMetrics::at(96);
    // 400 high: a page of 328 pixels, a little under ten rows of 34.
    EXPECT_EQ(pageHeight(m, 400), 328);
    EXPECT_EQ(pageHeight(m, 50), 0);
    const PaintedRows all = paintedRows(m, 400, 0, 3);
    EXPECT_EQ(all.first, 0);
    EXPECT_EQ(all.last, 2);
    const PaintedRows scrolled = paintedRows(m, 400, 100, 40);
    EXPECT_EQ(scrolled.first, 2);
    EXPECT_EQ(scrolled.last, 13) << "one row more than fits, for the partly shown one";
    const PaintedRows none = paintedRows(m, 400, 0, 0);
    EXPECT_LT(none.last, none.first);

    EXPECT_EQ(clampOffset(m, 500, 3, 400), 0) << "three rows fit";
    EXPECT_EQ(clampOffset(m, 5000, 40, 400), 40 * 34 - 328);
    EXPECT_EQ(clampOffset(m, -20, 40, 400), 0);
    EXPECT_EQ(clampOffset(m, 100, 40, 400), 100);

    // The line under a point: the list runs from 30 (under the header) to 358 (the footer).
    struct Case {
        int offset, count, y, line;
    };
    for (const Case& c : {Case{0, 3, 29, -1}, Case{0, 3, 30, 0}, Case{0, 3, 30 + 34, 1},
                          Case{0, 3, 30 + 3 * 34, -1}, Case{100, 40, 30, 2}, Case{0, 40, 357, 9},
                          Case{0, 40, 358, -1}}) {
        SCOPED_TRACE(testing::Message() << "offset " << c.offset << ", y " << c.y);
        EXPECT_EQ(lineAt(m, 400, c.offset, c.count, c.y), c.line);
    }
}

TEST(PendingPaneLayout, TheDiscKeepsTheAccentUntilSevenSecondsAreLeftAndIsRedAtThree) {
    const std::uint32_t accent = 0xD77800;  // RGB(0, 120, 215)
    EXPECT_EQ(countdownFraction(10000), 1.0);
    EXPECT_EQ(countdownFraction(12000), 1.0);
    EXPECT_EQ(countdownFraction(0), 0.0);
    EXPECT_EQ(countdownFraction(-100), 0.0);
    EXPECT_DOUBLE_EQ(countdownFraction(2500), 0.25);
    EXPECT_EQ(countdownColour(1.0, accent), accent);
    EXPECT_EQ(countdownColour(0.7, accent), accent);
    EXPECT_EQ(countdownColour(0.3, accent), kWarningRed);
    EXPECT_EQ(countdownColour(0.0, accent), kWarningRed);
    // Half way: red 0 + 208 / 2, green 120 - 51 / 2 truncated, blue 215 - 160 / 2.
    EXPECT_EQ(countdownColour(0.5, accent), (std::uint32_t{135} << 16) | (94u << 8) | 104u);
}

TEST(PendingPaneLayout, TheDiscsFilledSectorRunsClockwiseFromTwelveOClock) {
    const std::uint32_t background = 0x000000;
    const std::uint32_t filled = 0x0000FF;  // red in GDI order
    const std::uint32_t empty = 0xFF0000;   // blue in GDI order
    const std::uint32_t red = 0xFF0000;     // 0x00RRGGBB in the DIB
    const std::uint32_t blue = 0x0000FF;
    const int size = 16;
    const auto at = [size](const std::vector<std::uint32_t>& pixels, int x, int y) {
        return pixels[static_cast<std::size_t>(y) * size + x];
    };
    const std::vector<std::uint32_t> full = countdownPixels(size, 1.0, background, filled, empty);
    EXPECT_EQ(at(full, 8, 8), red);
    EXPECT_EQ(at(full, 0, 0), 0u) << "outside the circle";
    const std::vector<std::uint32_t> gone = countdownPixels(size, 0.0, background, filled, empty);
    EXPECT_EQ(at(gone, 8, 8), blue);
    // A quarter: the sector from 12 to 3 o'clock, the upper right.
    const std::vector<std::uint32_t> quarter =
        countdownPixels(size, 0.25, background, filled, empty);
    EXPECT_EQ(at(quarter, 11, 4), red);
    EXPECT_EQ(at(quarter, 4, 4), blue);
    EXPECT_EQ(at(quarter, 11, 11), blue);
    EXPECT_EQ(at(quarter, 4, 11), blue);
    // The rim is blended with the background.
    const std::uint32_t rim = at(full, 8, 0);
    EXPECT_NE(rim, red);
    EXPECT_NE(rim, 0u);
    EXPECT_TRUE(countdownPixels(0, 1.0, background, filled, empty).empty());
}

}  // namespace
}  // namespace deleting
