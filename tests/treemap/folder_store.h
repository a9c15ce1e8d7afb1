#pragma once

// A small stand-in for the scanner: walks a real folder tree breadth first and fills a node store
// the way a scan does, so pictures and tests can show real trees.

#include "scan/node_store.h"

#include <filesystem>
#include <memory>

namespace treemap::testing {

// Every folder's entries become one contiguous range of rows; symbolic links are recorded but
// not followed; entries that cannot be read are skipped. Allocated sizes are rounded up to
// 4,096-byte clusters. The store comes back published.
std::shared_ptr<scan::NodeStore> storeOfFolder(const std::filesystem::path& root);

}  // namespace treemap::testing
