#include "scan/item_identity.h"

#include "scan/file_id_set.h"

#include <algorithm>

namespace scan {

ItemIdentity scannedIdentity(const NodeStore& store, const FileIdSet& fileIds, NodeId node) {
    ItemIdentity identity;
    if (node >= store.publishedCount()) {
        return identity;
    }
    identity.found = true;
    identity.folder = store.hasFlag(node, FlagFolder);
    if (identity.folder) {
        // A folder that was not descended is a reparse folder on Windows but may be a mount point
        // elsewhere, which is no link.
        identity.link = false;
        identity.linkKnown = !store.hasFlag(node, FlagUnfollowed);
        return identity;
    }
    identity.link = store.hasFlag(node, FlagLink);
    identity.fileId = fileIds.idOf(node);
    identity.length = identity.link ? 0 : static_cast<std::int64_t>(store.size.get(node));
    return identity;
}

bool sameItem(const ItemIdentity& before, const ItemIdentity& now) {
    if (!before.found || !now.found || before.folder != now.folder) {
        return false;
    }
    if (before.linkKnown && now.linkKnown && before.link != now.link) {
        return false;
    }
    if (before.volume != 0 && now.volume != 0 && before.volume != now.volume) {
        return false;
    }
    if (before.fileId != 0 && now.fileId != 0 && before.fileId != now.fileId) {
        return false;
    }
    // A file that grew or shrank since is not the content that was chosen.
    return before.folder || before.link || now.link || before.length == now.length;
}

std::vector<std::u16string> namesBelowRoot(const NodeStore& store, NodeId node) {
    std::vector<std::u16string> names;
    if (node >= store.publishedCount()) {
        return names;
    }
    anyOnPathToRoot(store, node, [&](NodeId at) {
        if (at != 0) {
            names.push_back(store.nameOf(at));
        }
        return false;
    });
    std::reverse(names.begin(), names.end());
    return names;
}

}  // namespace scan
