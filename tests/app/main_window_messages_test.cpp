// What the real main window says when a scan cannot show what the user expects: a root it
// cannot list, folders it could not read, a measure under which nothing was added; and the
// scripts' end-of-scan file, which must never empty a file that is already there.

#include "app/commands.h"
#include "scan/text.h"

#include "main_window_fixture.h"
#include "scan_restrictions.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace app {
namespace {

namespace fs = std::filesystem;

class MainWindowMessagesTest : public windowtest::MainWindowFixture {
  protected:
    static bool pumpUntilEnded(MainWindow& main, std::u16string_view start) {
        return pumpUntil(
            main, [&] { return !main.controller().running() && statusStartsWith(main, start); });
    }
};

TEST_F(MainWindowMessagesTest, ARootThatCannotBeScannedIsNamedWithItsReason) {
    const fs::path file = scratch_ / "file.txt";
    writeFile(file, 100);
    const fs::path locked = scratch_ / "locked";
    fs::create_directories(locked / "inside");
    scan::testing::LockedFolders locks;
    ASSERT_TRUE(locks.lock(locked));

    struct Case {
        const char* name;
        std::u16string root;
        const char16_t* reason;
    };
    const Case cases[] = {
        {"does not exist", (scratch_ / "no such folder").u16string(), u"it does not exist"},
        {"missing drive", u"Q:\\", u"it does not exist"},
        {"a file", file.u16string(), u"it is not a folder"},
        {"held by another program", locked.u16string(), u"another program is using it"},
    };
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        main.openScan(c.root);
        ASSERT_TRUE(pumpUntilEnded(main, u"Cannot scan")) << scan::toUtf8(main.statusText());
        const std::u16string expected =
            u"Cannot scan " + main.controller().rootPath() + u": " + c.reason;
        EXPECT_EQ(scan::toUtf8(main.statusText()), scan::toUtf8(expected));
        EXPECT_EQ(main.treemapView()->notice(), expected) << "in place of the empty treemap";

        // Refresh asks again, and says it again.
        const std::uint32_t work = main.controller().work();
        main.command(ControlRefresh);
        ASSERT_TRUE(pumpUntil(main, [&] {
            return main.controller().work() != work && !main.controller().running() &&
                   statusStartsWith(main, u"Cannot scan");
        }));
        EXPECT_EQ(main.statusText(), expected);
    }

    // Once the folder is there, Refresh scans it; the treemap shows its picture again.
    main.openScan((scratch_ / "no such folder").u16string());
    ASSERT_TRUE(pumpUntilEnded(main, u"Cannot scan"));
    fs::create_directories(scratch_ / "no such folder" / "now");
    main.command(ControlRefresh);
    ASSERT_TRUE(pumpUntilScanComplete(main)) << scan::toUtf8(main.statusText());
    EXPECT_TRUE(main.statusText().starts_with(u"Scan complete \u00B7 0 files \u00B7 2 folders"))
        << scan::toUtf8(main.statusText());
    EXPECT_EQ(main.treemapView()->notice(), u"");

    // Open… still leads back to the start page.
    main.openScan(u"Q:\\");
    ASSERT_TRUE(pumpUntilEnded(main, u"Cannot scan"));
    main.command(ControlOpen);
    EXPECT_TRUE(main.welcomeShown());
    locks.unlock(locked);
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowMessagesTest, FoldersThatCouldNotBeReadAreCountedOnceTheScanEnds) {
    const windowtest::GeneratedTree tree = makeTree("tree", 3, 1, 2);
    scan::testing::LockedFolders locks;
    std::string why;
    if (!locks.available(tree.root / "folder0", why)) {
        GTEST_SKIP() << why;
    }
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    struct Case {
        std::vector<fs::path> locked;
        const char16_t* said;
    };
    const Case cases[] = {
        {{tree.root / "folder1" / "sub0"}, u" \u00B7 1 folder could not be read"},
        {{tree.root / "folder0", tree.root / "folder2" / "sub0"},
         u" \u00B7 2 folders could not be read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(scan::toUtf8(c.said));
        for (const fs::path& folder : c.locked) {
            ASSERT_TRUE(locks.lock(folder));
        }
        ASSERT_TRUE(scanToTheEnd(main, tree.root.u16string()));
        EXPECT_TRUE(main.statusText().starts_with(u"Scan complete"));
        EXPECT_TRUE(main.statusText().ends_with(c.said)) << scan::toUtf8(main.statusText());
        for (const fs::path& folder : c.locked) {
            locks.unlock(folder);
        }
    }
    ASSERT_TRUE(scanToTheEnd(main, tree.root.u16string()));
    EXPECT_EQ(main.statusText().find(u"could not be read"), std::u16string::npos)
        << "every folder was read";
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowMessagesTest, AMeasureUnderWhichNothingWasAddedSaysSoInsteadOfABlock) {
    const windowtest::GeneratedTree tree = makeTree("tree", 2, 1, 2);
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    // The history keeps whole seconds: the first scan must start a second after the files were
    // made, or they count as added since it.
    const std::time_t made = std::time(nullptr);
    ASSERT_TRUE(pumpUntil(main, [&] { return std::time(nullptr) > made + 1; }));
    ASSERT_TRUE(scanToTheEnd(main, tree.root.u16string()));
    ASSERT_TRUE(scanToTheEnd(main, tree.root.u16string())) << "a previous scan to compare with";
    EXPECT_EQ(main.treemapView()->notice(), u"");
    chooseMeasure(main, scan::MeasureAddedSinceScan);
    ASSERT_EQ(main.measure(), scan::MeasureAddedSinceScan);
    EXPECT_EQ(main.treemapView()->notice(), u"Nothing was added since the last scan");
    chooseMeasure(main, scan::MeasureCurrentSize);
    EXPECT_EQ(main.treemapView()->notice(), u"");
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(MainWindowMessagesTest, TheEndOfScanFileIsMadeOnlyWhereNoFileIs) {
    const fs::path existing = scratch_ / "precious.txt";
    std::ofstream(existing) << "keep me";
    harness::ScopedEnvironment signal(L"ROZOVIZOV_SCAN_END_FILE", existing.wstring());
    const windowtest::GeneratedTree tree = makeTree("tree", 1, 1, 1);
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    ASSERT_TRUE(scanToTheEnd(main, tree.root.u16string()));
    pumpPending(main);
    std::ostringstream content;
    content << std::ifstream(existing).rdbuf();
    EXPECT_EQ(content.str(), "keep me");
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

// The kinds pane reads the scanner, which the controller destroys when the scan is left or the
// window closes: the pane must have let go of it by then.
TEST_F(MainWindowMessagesTest, NoPaneKeepsTheScannerOnceTheWindowCloses) {
    const windowtest::GeneratedTree tree = makeTree("tree", 1, 1, 1);
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    ASSERT_TRUE(scanToTheEnd(main, tree.root.u16string()));
    ASSERT_EQ(main.kindPane()->scanner(), main.controller().scanner());
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
    EXPECT_EQ(main.controller().scanner(), nullptr);
    EXPECT_EQ(main.kindPane()->scanner(), nullptr) << "the pane would read a destroyed scanner";
}

}  // namespace
}  // namespace app
