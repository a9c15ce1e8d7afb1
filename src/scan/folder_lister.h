#pragma once

// Reads the entries of one folder from the file system: the platform's part of the folder walk.
// Each listing thread of one walk owns one lister, which keeps its listing buffer (and on POSIX
// systems the device of the walk) from folder to folder.

#include "scan/listing_batch.h"
#include "scan/scan_options.h"

#include <memory>
#include <string>

namespace scan {

class FolderLister {
  public:
    explicit FolderLister(const ScanOptions& options);
    ~FolderLister();
    FolderLister(const FolderLister&) = delete;
    FolderLister& operator=(const FolderLister&) = delete;

    // Opens the folder at `path` (its long form) for listing. False when it cannot be opened.
    bool open(const std::u16string& path);
    // Reads every entry of the open folder into `batch` and closes it. `path` is the folder's
    // path; it may be extended temporarily to query single files, and is left as it was.
    // A listing that ends with an error keeps the entries read before it and counts the
    // folder as unreadable.
    void list(std::u16string& path, ListingBatch& batch);

  private:
    struct Platform;
    ScanOptions options_;
    std::unique_ptr<Platform> platform_;
};

}  // namespace scan
