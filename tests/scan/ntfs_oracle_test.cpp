// The reader's tree against The Sleuth Kit's reading of the same image, node by node. The Sleuth
// Kit is a forensic tool the project did not write; its Python bindings list every name with the
// facts of its record (tests/scan/tsk_listing.py).

#include "ntfs_images.h"
#include "scan/text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>

#include <sys/wait.h>

namespace scan::testing {
namespace {

struct OracleEntry {
    std::uint64_t record = 0;
    bool folder = false;
    std::uint64_t size = 0;
    std::uint64_t allocated = 0;
    std::uint32_t created = 0;
    // The first long name of the record: the one the node must carry.
    bool first = false;
    std::u16string path;
};

// The oracle's listing of the image; empty, with `why` set, when it cannot be had here.
std::vector<OracleEntry> listWithSleuthKit(const std::string& image, std::string& why) {
    const std::string command =
        std::string("/usr/bin/python3 '") + ROZOVIZOV_TSK_SCRIPT + "' '" + image + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        why = "the oracle could not be started";
        return {};
    }
    std::string text;
    char chunk[65536];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) {
        text.append(chunk, got);
    }
    const int status = pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        why = WIFEXITED(status) && WEXITSTATUS(status) == 77
                  ? "the Sleuth Kit's Python bindings (python3-tsk) are missing"
                  : "the oracle failed on " + image;
        return {};
    }
    std::vector<OracleEntry> entries;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        OracleEntry entry;
        std::string kind;
        std::string first;
        fields >> entry.record >> kind >> entry.size >> entry.allocated >> entry.created >> first;
        std::string path;
        fields.get();
        std::getline(fields, path);
        entry.folder = kind == "D";
        entry.first = first == "1";
        entry.path = fileNameFromBytes(path);
        entries.push_back(std::move(entry));
    }
    return entries;
}

// Each record the oracle lists is one node, at the path of its first long name and at none of
// its other names, with the oracle's size, allocation and creation time; a folder's own
// allocation (its index) is what is left of its total after its children. The reader's tree holds
// nothing the oracle does not list.
void expectSameAsSleuthKit(const std::string& image) {
    std::string why;
    const std::vector<OracleEntry> entries = listWithSleuthKit(image, why);
    if (entries.empty()) {
        GTEST_SKIP() << why;
    }
    const auto scan = scanImage(image, {});
    ASSERT_TRUE(scan->outcome.filled) << toUtf8(scan->outcome.refusal);
    EXPECT_EQ(scan->counters.duplicateLinks.get(), 0u);
    const NodeStore& store = scan->store;
    const auto rows = rowsByPath(store);

    std::map<std::uint64_t, std::vector<const OracleEntry*>> byRecord;
    std::set<std::u16string> nodePaths;
    for (const OracleEntry& entry : entries) {
        byRecord[entry.record].push_back(&entry);
        if (entry.first) {
            nodePaths.insert(entry.path);
        }
    }
    for (const auto& [record, names] : byRecord) {
        SCOPED_TRACE(toUtf8(names.front()->path) + " (record " + std::to_string(record) + ")");
        int firsts = 0;
        for (const OracleEntry* name : names) {
            firsts += name->first ? 1 : 0;
            EXPECT_EQ(rows.contains(name->path), name->first) << toUtf8(name->path);
        }
        EXPECT_EQ(firsts, 1);
        for (const OracleEntry* name : names) {
            const auto row = rows.find(name->path);
            if (!name->first || row == rows.end()) {
                continue;
            }
            EXPECT_EQ(row->second.folder, name->folder);
            // mkntfs -T leaves the volume's own files (the first 16 records) with a creation time
            // of 0 on the disk, which the oracle reads as a date for $MFT alone.
            EXPECT_EQ(row->second.created, record < 16 ? 0 : name->created);
            if (!name->folder) {
                EXPECT_EQ(row->second.size, name->size);
                EXPECT_EQ(row->second.allocated, name->allocated);
                continue;
            }
            std::uint64_t children = 0;
            const NodeId first = store.firstChild.get(row->second.id);
            for (NodeId child = first; child < first + store.childCount.get(row->second.id);
                 ++child) {
                children += store.allocated.get(child);
            }
            EXPECT_EQ(row->second.allocated - children, name->allocated);
        }
    }
    for (const auto& [path, row] : rows) {
        EXPECT_TRUE(nodePaths.contains(path)) << "not listed by the oracle: " << toUtf8(path);
    }
}

TEST(NtfsOracle, TreeMatchesTheSleuthKit) {
    for (const char* recipe : {"basic", "fragmented", "links"}) {
        SCOPED_TRACE(recipe);
        std::string why;
        const std::string image = imagePath(recipe, why);
        if (image.empty()) {
            GTEST_SKIP() << why;
        }
        expectSameAsSleuthKit(image);
    }
}

}  // namespace
}  // namespace scan::testing
