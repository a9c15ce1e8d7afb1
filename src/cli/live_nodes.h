#pragma once

// Visits every live row of a store once, parents before their children, with the row's path
// relative to the root. Memory grows with the depth of the tree, not with its size, so reports
// of ten million rows stream.

#include "scan/node_store.h"

#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Calls visit(row, relativePath) for the root (with an empty path) and every row below it that
// is not removed and not inside a removed subtree; names are joined by `separator`. Reads only
// rows below the store's publishedCount at the start.
template <class Visit>
void visitLiveNodes(const scan::NodeStore& store, char16_t separator, Visit&& visit) {
    const std::uint64_t published = store.publishedCount();
    if (published == 0 || store.hasFlag(0, scan::FlagRemoved)) {
        return;
    }
    struct Frame {
        scan::NodeId next;
        scan::NodeId end;
        std::size_t pathLength;  // the length of the folder's own relative path
    };
    std::u16string path;
    visit(scan::NodeId{0}, std::u16string_view(path));
    std::vector<Frame> stack;
    const scan::ChildRange rootChildren = scan::publishedChildren(store, 0, published);
    stack.push_back({rootChildren.begin, rootChildren.end, 0});
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next >= top.end) {
            stack.pop_back();
            continue;
        }
        const scan::NodeId row = top.next++;
        const std::size_t parentLength = top.pathLength;
        if (store.hasFlag(row, scan::FlagRemoved)) {
            continue;
        }
        path.resize(parentLength);
        if (parentLength > 0) {
            path.push_back(separator);
        }
        path.append(store.nameView(row));
        visit(row, std::u16string_view(path));
        if (store.hasFlag(row, scan::FlagFolder)) {
            const scan::ChildRange children = scan::publishedChildren(store, row, published);
            if (children.begin < children.end) {
                stack.push_back({children.begin, children.end, path.size()});
            }
        }
    }
}

// The root's path joined with a relative path as NodeStore::pathOf joins names.
inline std::u16string joinedPath(std::u16string_view root, std::u16string_view relative,
                                 char16_t separator) {
    std::u16string full(root);
    if (!relative.empty()) {
        if (full.empty() || full.back() != separator) {
            full.push_back(separator);
        }
        full.append(relative);
    }
    return full;
}

}  // namespace cli
