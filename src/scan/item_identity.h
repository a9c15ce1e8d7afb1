#pragma once

// Which file or folder stands at a place in a scanned tree: its volume, its file identifier, its
// kind and, for a file, its length. A path names whatever is there now; an identity tells whether
// that is still the item that was scanned or chosen, so that an operation meant for one item can
// never reach another that took its name (a renamed item, a new file of the same name, a folder
// swapped for a link, a sibling whose name differs only in case).

#include "scan/node_store.h"

#include <cstdint>
#include <string>
#include <vector>

namespace scan {

class FileIdSet;

struct ItemIdentity {
    bool found = false;
    bool folder = false;
    bool link = false;         // a symbolic link or another reparse point, itself
    bool linkKnown = true;     // false where a scan cannot tell a folder link from a mount point
    std::uint64_t volume = 0;  // 0 when unknown
    std::uint64_t fileId = 0;  // 0 when unknown
    std::int64_t length = 0;   // a file's length in bytes; 0 for a folder or a link
};

// The identity of the item reached from `root` (opened as the user named it, following links
// there, as a scan does) through `names`, one below the other. Every folder below the root is
// opened from its open parent without following a link or reparse point, and the item itself is
// examined as itself, so the answer describes what the scan would have found at that place.
// Not found when any step cannot be opened, is not a plain folder, or `names` is empty.
ItemIdentity identityBelow(const std::u16string& root, const std::vector<std::u16string>& names);

// What the scan recorded of `node`: its kind, a file's length and, when the walk kept it, its
// file identifier. The volume is not recorded (0).
ItemIdentity scannedIdentity(const NodeStore& store, const FileIdSet& fileIds, NodeId node);

// Whether `now` is the item `before` described: both found, of the same kind, and equal in every
// field that both know (a 0 volume or identifier is unknown and compared by nothing).
bool sameItem(const ItemIdentity& before, const ItemIdentity& now);

// The names from below the root down to `node` (empty for the root).
std::vector<std::u16string> namesBelowRoot(const NodeStore& store, NodeId node);

}  // namespace scan
