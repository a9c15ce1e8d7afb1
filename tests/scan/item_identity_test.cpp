// Which item stands at a place of a scanned tree: what a scan recorded against what the disk
// shows, through real folders, and the comparison as a table.

#include "scan/item_identity.h"
#include "scan/file_id_set.h"

#include "scan_fixture.h"

#include <gtest/gtest.h>

#include <unordered_map>

namespace scan::testing {
namespace {

TEST(SameItem, EveryKnownFieldMustAgree) {
    ItemIdentity file;
    file.found = true;
    file.volume = 7;
    file.fileId = 42;
    file.length = 100;
    ItemIdentity folder = file;
    folder.folder = true;
    folder.length = 0;
    const auto with = [](ItemIdentity identity, auto change) {
        change(identity);
        return identity;
    };
    const struct {
        const char* name;
        ItemIdentity before;
        ItemIdentity now;
        bool same;
    } cases[] = {
        {"the same file", file, file, true},
        {"nothing there now", file, ItemIdentity{}, false},
        {"nothing recorded", ItemIdentity{}, file, false},
        {"another file", file, with(file, [](ItemIdentity& i) { i.fileId = 43; }), false},
        {"another volume", file, with(file, [](ItemIdentity& i) { i.volume = 8; }), false},
        {"grown", file, with(file, [](ItemIdentity& i) { i.length = 101; }), false},
        {"a folder now", file, folder, false},
        {"a link now", folder, with(folder, [](ItemIdentity& i) { i.link = true; }), false},
        {"identifier unknown before", with(file, [](ItemIdentity& i) { i.fileId = 0; }), file,
         true},
        {"volume unknown before", with(file, [](ItemIdentity& i) { i.volume = 0; }), file, true},
        {"a folder with other contents", folder,
         with(folder, [](ItemIdentity& i) { i.length = 5; }), true},
        {"a mount point or a link: unknown",
         with(folder, [](ItemIdentity& i) { i.linkKnown = false; }),
         with(folder, [](ItemIdentity& i) { i.link = true; }), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sameItem(c.before, c.now), c.same);
    }
}

class ItemIdentityTest : public TempFolder {};

TEST_F(ItemIdentityTest, TheDiskAgreesWithTheScanUntilSomethingTakesTheItemsPlace) {
    writeFile("tree/docs/a.txt", 300);
    writeFile("tree/docs/Case.txt", 10);
    writeFile("tree/docs/case.txt", 20);
    writeFile("outside/a.txt", 300);
    Scanner scanner{ScanOptions{}};
    scanner.scan(rootText() + u"/tree");
    const NodeStore& store = scanner.store();
    std::unordered_map<std::u16string, NodeId> rows;
    for (NodeId row = 1; row < store.publishedCount(); ++row) {
        rows[store.nameOf(row)] = row;
    }
    const auto onDisk = [&](NodeId row) {
        return identityBelow(scanner.longRootPath(), namesBelowRoot(store, row));
    };
    EXPECT_EQ(namesBelowRoot(store, rows[u"a.txt"]),
              (std::vector<std::u16string>{u"docs", u"a.txt"}));
    // A system that finds names without regard to case keeps only one of the two.
    const bool bothCases = rows.contains(u"Case.txt") && rows.contains(u"case.txt");
    for (const char16_t* name : {u"docs", u"a.txt", u"Case.txt", u"case.txt"}) {
        SCOPED_TRACE(toUtf8(name));
        if (!rows.contains(name)) {
            continue;
        }
        EXPECT_TRUE(
            sameItem(scannedIdentity(store, scanner.fileIds(), rows[name]), onDisk(rows[name])));
    }
    const ItemIdentity chosen = onDisk(rows[u"a.txt"]);
    if (bothCases) {
        fs::remove(root_ / "tree/docs/Case.txt");
        // A system that looks names up without regard to case may find the sibling at the
        // place; it is never taken for the item.
        EXPECT_FALSE(sameItem(scannedIdentity(store, scanner.fileIds(), rows[u"Case.txt"]),
                              onDisk(rows[u"Case.txt"])));
    }
    fs::rename(root_ / "tree/docs", root_ / "tree/docs-old");
    std::error_code linkError;
    fs::create_directory_symlink(root_ / "outside", root_ / "tree/docs", linkError);
    if (linkError) {
        GTEST_SKIP() << "this system does not let the test make a folder link";
    }
    EXPECT_FALSE(onDisk(rows[u"a.txt"]).found) << "never through a link above it";
    EXPECT_FALSE(onDisk(rows[u"docs"]).folder && !onDisk(rows[u"docs"]).link);
    EXPECT_FALSE(sameItem(chosen, onDisk(rows[u"a.txt"])));
    EXPECT_FALSE(identityBelow(scanner.longRootPath(), {}).found);
}

}  // namespace
}  // namespace scan::testing
