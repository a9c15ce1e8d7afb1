#include "folder_store.h"

#include "scan/file_kinds.h"

#include <deque>
#include <string>
#include <system_error>
#include <vector>

namespace treemap::testing {

namespace {

constexpr std::uint64_t kCluster = 4096;

struct Entry {
    std::filesystem::path path;
    std::u16string name;
    bool folder = false;
    bool link = false;
    std::uint64_t size = 0;
};

std::vector<Entry> listFolder(const std::filesystem::path& folder) {
    std::vector<Entry> entries;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        Entry entry;
        entry.path = it->path();
        try {
            entry.name = entry.path.filename().u16string();
        } catch (const std::exception&) {
            continue;  // a name that is not valid in the platform's encoding
        }
        std::error_code status;
        entry.link = it->is_symlink(status);
        entry.folder = !entry.link && it->is_directory(status);
        if (!entry.folder && !entry.link) {
            const std::uintmax_t size = it->file_size(status);
            entry.size = status ? 0 : size;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

void sumIntoAncestors(scan::NodeStore& store) {
    for (std::uint64_t row = store.rowCount(); row-- > 1;) {
        const scan::NodeId up = store.parent.get(row);
        store.size.add(up, store.size.get(row));
        store.allocated.add(up, store.allocated.get(row));
        store.fileCount.add(up, store.fileCount.get(row));
    }
}

}  // namespace

std::shared_ptr<scan::NodeStore> storeOfFolder(const std::filesystem::path& root) {
    scan::ensureKindTable();
    auto store = std::make_shared<scan::NodeStore>();
    store->appendRows(1);
    store->setName(0, root.u16string());
    store->kind.set(0, scan::KindFolder);
    store->flags.set(0, scan::FlagFolder);

    std::deque<std::pair<scan::NodeId, std::filesystem::path>> unlisted = {{0, root}};
    while (!unlisted.empty()) {
        const auto [folder, path] = unlisted.front();
        unlisted.pop_front();
        const std::vector<Entry> entries = listFolder(path);
        if (entries.empty()) {
            continue;
        }
        const auto first = static_cast<scan::NodeId>(store->appendRows(entries.size()));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const Entry& entry = entries[i];
            const auto row = static_cast<scan::NodeId>(first + i);
            store->parent.set(row, folder);
            store->setName(row, entry.name);
            if (entry.folder) {
                store->kind.set(row, scan::KindFolder);
                store->flags.set(row, scan::FlagFolder);
                unlisted.emplace_back(row, entry.path);
                continue;
            }
            store->kind.set(row, entry.link ? scan::KindSymbolicLink : scan::classify(entry.name));
            store->flags.set(row, entry.link ? scan::FlagLink : 0);
            store->size.set(row, entry.size);
            store->allocated.set(row, (entry.size + kCluster - 1) / kCluster * kCluster);
            store->fileCount.set(row, 1);
        }
        store->firstChild.set(folder, first);
        store->childCount.set(folder, static_cast<std::uint32_t>(entries.size()));
    }
    sumIntoAncestors(*store);
    store->publish();
    return store;
}

}  // namespace treemap::testing
