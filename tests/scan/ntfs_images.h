#pragma once

// Real NTFS images for the file table tests, made once per test program with the Linux NTFS
// tools, and the reader run over them as over a volume.

#include "scan/file_kinds.h"
#include "scan/measures.h"
#include "scan/mft_reader.h"
#include "scan/node_store.h"
#include "scan/scan_counters.h"
#include "scan/scan_options.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace scan::testing {

// The image of a recipe (basic, fragmented, links); empty, with `why` set, when images cannot be
// made here. Images made by a Windows test run come from the folder ROZOVIZOV_NTFS_IMAGES names.
std::string imagePath(const std::string& recipe, std::string& why);

struct ImageScan {
    NodeStore store;
    KindTotals kinds{(ensureKindTable(), kindCount())};
    ScanCounters counters;
    FileTableOutcome outcome;
};

struct ImageScanSettings {
    std::vector<std::u16string> startPieces;
    ScanOptions options;
    std::uint64_t batchBytes = 4 * 1024 * 1024;
    // Stops before this many batches when not 0.
    int stopBeforeBatch = 0;
};

// Reads the image as a volume, through its boot sector, into a fresh store whose row 0 is "root".
std::unique_ptr<ImageScan> scanImage(const std::string& image, const ImageScanSettings& settings);

// One row of a scanned store, by its path below row 0 with "/" between names.
struct Row {
    NodeId id = 0;
    bool folder = false;
    std::uint64_t size = 0;
    std::uint64_t allocated = 0;
    std::uint32_t fileCount = 0;
    std::uint32_t created = 0;
};
std::map<std::u16string, Row> rowsByPath(const NodeStore& store);

// Whether this machine can mount images (root, FUSE, ntfs-3g); `why` says why not.
bool canMount(std::string& why);
// Mounts the image read-only at a fresh folder for its lifetime.
class MountedImage {
  public:
    explicit MountedImage(const std::string& image);
    ~MountedImage();
    MountedImage(const MountedImage&) = delete;
    MountedImage& operator=(const MountedImage&) = delete;
    bool mounted() const { return mounted_; }
    const std::string& folder() const { return folder_; }

  private:
    std::string folder_;
    bool mounted_ = false;
};

}  // namespace scan::testing
