#pragma once

// Reads the entries of one folder from the file system: the platform's part of the folder walk.
// Each listing thread of one walk owns one lister, which keeps its listing buffer (and on POSIX
// systems the device of the walk) from folder to folder.
//
// Below the start folder nothing is opened by path: each folder is opened by its name from a
// folder that is already open, without following a link, so a folder swapped for a link between
// its parent's listing and its own can never lead the walk out of the tree, and no path grows
// past what the platform takes in one call.

#include "scan/listing_batch.h"
#include "scan/node_store.h"
#include "scan/scan_options.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace scan {

// A folder kept open after its listing so that the folders below it can be opened from it.
// Closes itself.
class OpenFolder {
  public:
    ~OpenFolder();
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    // The folder's row in the store.
    NodeId row() const { return row_; }

  private:
    friend class FolderLister;
    OpenFolder(std::intptr_t native, NodeId row) : native_(native), row_(row) {}

    std::intptr_t native_;  // the platform's descriptor or handle
    NodeId row_;
};

class FolderLister {
  public:
    explicit FolderLister(const ScanOptions& options);
    ~FolderLister();
    FolderLister(const FolderLister&) = delete;
    FolderLister& operator=(const FolderLister&) = delete;

    // How many folders one walk may keep open at once, within what the process may hold.
    static std::size_t keptFolderLimit();

    // Opens the folder at `path` (its long form) as the user named it, so links in it are
    // followed. False when it cannot be opened or is not a folder.
    bool openPath(const std::u16string& path);
    // Opens the folder reached from `base` through `names`, one folder after the other. False
    // when any of them cannot be opened, is a link or a reparse point, or lies on another volume.
    bool openBelow(const OpenFolder& base, const std::vector<std::u16string_view>& names);
    // Reads every entry of the open folder into `batch`. A listing that ends with an error keeps
    // the entries read before it and counts the folder as unreadable, as does an entry whose
    // details cannot be read. When `stop` is true between two reads, the listing ends with what
    // it has.
    void list(ListingBatch& batch, const std::atomic<bool>& stop);
    // Hands the open folder over for the folders below it; null when none is open.
    std::unique_ptr<OpenFolder> keepOpen(NodeId row);
    // Closes the open folder, if any.
    void close();

  private:
    struct Platform;
    ScanOptions options_;
    std::unique_ptr<Platform> platform_;
};

}  // namespace scan
