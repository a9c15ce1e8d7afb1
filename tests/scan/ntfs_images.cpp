#include "ntfs_images.h"

#include "scan/text.h"
#include "scan/volume_source.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace scan::testing {

namespace {

namespace fs = std::filesystem;

#ifndef _WIN32
// The images of one test program, made on first use in a temporary folder removed at exit.
class ImageFolder {
  public:
    ~ImageFolder() {
        std::error_code ignored;
        if (!folder_.empty()) {
            fs::remove_all(folder_, ignored);
        }
    }
    std::string image(const std::string& recipe, std::string& why) {
        std::lock_guard lock(mutex_);
        if (folder_.empty()) {
            std::string pattern = (fs::temp_directory_path() / "rozovizov-ntfs-XXXXXX").string();
            if (mkdtemp(pattern.data()) == nullptr) {
                why = "no temporary folder";
                return {};
            }
            folder_ = pattern;
        }
        const std::string path = folder_ + "/" + recipe + ".img";
        auto known = made_.find(recipe);
        if (known == made_.end()) {
            const std::string command = std::string("'") + ROZOVIZOV_IMAGE_SCRIPT + "' make " +
                                        recipe + " '" + path + "' >/dev/null";
            const int status = std::system(command.c_str());
            known = made_.emplace(recipe, status).first;
        }
        if (known->second != 0) {
            why = "images cannot be made here (make_ntfs_image.sh needs root, FUSE and ntfs-3g)";
            return {};
        }
        return path;
    }

  private:
    std::mutex mutex_;
    std::string folder_;
    std::map<std::string, int> made_;
};

ImageFolder& imageFolder() {
    static ImageFolder folder;
    return folder;
}
#endif

}  // namespace

std::string imagePath(const std::string& recipe, std::string& why) {
    if (const char* folder = std::getenv("ROZOVIZOV_NTFS_IMAGES"); folder && *folder) {
        const fs::path path = fs::path(fromUtf8(folder)) / (recipe + ".img");
        if (!fs::exists(path)) {
            why = "no image " + recipe + ".img in ROZOVIZOV_NTFS_IMAGES";
            return {};
        }
        return toUtf8(path.u16string());
    }
#ifdef _WIN32
    why = "ROZOVIZOV_NTFS_IMAGES does not name a folder of images";
    return {};
#else
    return imageFolder().image(recipe, why);
#endif
}

std::unique_ptr<ImageScan> scanImage(const std::string& image, const ImageScanSettings& settings) {
    auto scan = std::make_unique<ImageScan>();
    scan->store.appendRows(1);
    scan->store.setName(0, u"root");
    scan->store.flags.set(0, FlagFolder);
    scan->store.kind.set(0, KindFolder);
    scan->store.publish();

    const std::unique_ptr<VolumeSource> source = openVolumeFile(fromUtf8(image));
    if (!source) {
        scan->outcome.refusal = u"the image could not be opened";
        return scan;
    }
    FileTableJob job;
    job.source = source.get();
    if (!readBootGeometry(*source, job.geometry)) {
        scan->outcome.refusal = kRefusalGeometry;
        return scan;
    }
    job.startPieces = settings.startPieces;
    job.options = &settings.options;
    job.store = &scan->store;
    job.kindTotals = &scan->kinds;
    job.counters = &scan->counters;
    job.batchBytes = settings.batchBytes;
    int batches = 0;
    job.stopRequested = [&] {
        return settings.stopBeforeBatch != 0 && ++batches >= settings.stopBeforeBatch;
    };
    scan->outcome = readMasterFileTable(job);
    return scan;
}

std::map<std::u16string, Row> rowsByPath(const NodeStore& store) {
    std::map<std::u16string, Row> rows;
    for (NodeId id = 1; id < store.publishedCount(); ++id) {
        Row row;
        row.id = id;
        row.folder = store.hasFlag(id, FlagFolder);
        row.size = store.size.get(id);
        row.allocated = store.allocated.get(id);
        row.fileCount = store.fileCount.get(id);
        row.created = store.created.get(id);
        rows.emplace(store.pathOf(id, u'/').substr(5), row);
    }
    return rows;
}

bool canMount(std::string& why) {
#ifdef _WIN32
    why = "images are mounted only on Linux";
    return false;
#else
    std::string imageWhy;
    if (imagePath("basic", imageWhy).empty()) {
        why = imageWhy;
        return false;
    }
    return true;
#endif
}

MountedImage::MountedImage(const std::string& image) {
#ifndef _WIN32
    std::string pattern = (fs::temp_directory_path() / "rozovizov-mount-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return;
    }
    folder_ = pattern;
    const std::string command =
        std::string("'") + ROZOVIZOV_IMAGE_SCRIPT + "' mount '" + image + "' '" + folder_ + "'";
    mounted_ = std::system(command.c_str()) == 0;
#else
    (void)image;
#endif
}

MountedImage::~MountedImage() {
#ifndef _WIN32
    if (mounted_) {
        const std::string command =
            std::string("'") + ROZOVIZOV_IMAGE_SCRIPT + "' unmount '" + folder_ + "'";
        if (std::system(command.c_str()) != 0) {
            return;
        }
    }
    if (!folder_.empty()) {
        std::error_code ignored;
        fs::remove(folder_, ignored);
    }
#endif
}

}  // namespace scan::testing
