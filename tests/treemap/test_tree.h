#pragma once

// Builds node stores for tests the way a scan fills them: every folder's children appended in
// one go after the folder, folder totals summed over the children, everything published.

#include "scan/file_kinds.h"
#include "scan/node_store.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace treemap::testing {

struct ChildRow {
    std::uint64_t value = 0;  // size and allocated bytes of a file
    scan::FileKind kind = scan::KindNoExtension;
    bool folder = false;
};

inline ChildRow file(std::uint64_t value, scan::FileKind kind = scan::KindNoExtension) {
    return {value, kind, false};
}
inline ChildRow folder() {
    return {0, scan::KindFolder, true};
}

class TreeBuilder {
  public:
    TreeBuilder() : store_(std::make_shared<scan::NodeStore>()) {
        store_->appendRows(1);
        store_->kind.set(0, scan::KindFolder);
        store_->flags.set(0, scan::FlagFolder);
    }

    scan::NodeStore& store() { return *store_; }

    // Appends the children of `parent` and answers the first one's row.
    scan::NodeId addChildren(scan::NodeId parent, const std::vector<ChildRow>& children) {
        const auto first = static_cast<scan::NodeId>(store_->appendRows(children.size()));
        for (std::size_t i = 0; i < children.size(); ++i) {
            const auto row = static_cast<scan::NodeId>(first + i);
            const ChildRow& child = children[i];
            store_->parent.set(row, parent);
            store_->kind.set(row, child.folder ? scan::KindFolder : child.kind);
            store_->flags.set(row, child.folder ? scan::FlagFolder : 0);
            store_->size.set(row, child.value);
            store_->allocated.set(row, child.value);
            store_->fileCount.set(row, child.folder ? 0 : 1);
        }
        store_->firstChild.set(parent, first);
        store_->childCount.set(parent, static_cast<std::uint32_t>(children.size()));
        return first;
    }

    // Sums every row into its ancestors (children come after their parents, so one backward
    // pass suffices), publishes, and hands the store over.
    std::shared_ptr<scan::NodeStore> finish() {
        scan::NodeStore& s = *store_;
        for (std::uint64_t row = s.rowCount(); row-- > 1;) {
            const scan::NodeId up = s.parent.get(row);
            s.size.add(up, s.size.get(row));
            s.allocated.add(up, s.allocated.get(row));
            s.fileCount.add(up, s.fileCount.get(row));
            s.addedMonth.add(up, s.addedMonth.get(row));
            s.addedHalfYear.add(up, s.addedHalfYear.get(row));
            s.addedSinceScan.add(up, s.addedSinceScan.get(row));
        }
        s.publish();
        return store_;
    }

  private:
    std::shared_ptr<scan::NodeStore> store_;
};

}  // namespace treemap::testing
