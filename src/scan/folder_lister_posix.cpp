// Listing with getdents64 into the listing buffer and one statx per entry, without following
// symbolic links. A folder on another device than the one it lies in is a mount point and is
// never descended, as a reparse folder is not on Windows.

#include "scan/directory_entries_posix.h"
#include "scan/file_kinds.h"
#include "scan/folder_lister.h"
#include "scan/text.h"
#include "scan/unique_fd_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <new>

namespace scan {

namespace {

std::uint32_t createdFrom(const struct statx& info) {
    if ((info.stx_mask & STATX_BTIME) == 0) {
        return 0;
    }
    const std::int64_t seconds = info.stx_btime.tv_sec;
    return seconds >= 1 && seconds <= 4'294'967'295 ? static_cast<std::uint32_t>(seconds) : 0;
}

bool isMountRoot(const struct statx& info, std::uint32_t major, std::uint32_t minor) {
    if (info.stx_dev_major != major || info.stx_dev_minor != minor) {
        return true;
    }
    return (info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
           (info.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
}

// The walk never crosses into another device, so within one walk the inode alone would do; the
// device is folded in so identifiers from two devices rarely meet, and XOR with a value fixed
// per device keeps the identifiers of one device distinct.
std::uint64_t fileIdOf(const struct statx& info) {
    return info.stx_ino ^ (std::uint64_t{info.stx_dev_major} << 56) ^
           (std::uint64_t{info.stx_dev_minor} << 40);
}

}  // namespace

struct FolderLister::Platform {
    UniqueFd folder;
    std::uint32_t deviceMajor = 0;
    std::uint32_t deviceMinor = 0;
    bool deviceKnown = false;
    char* buffer = nullptr;
    std::size_t bufferBytes = 0;

    ~Platform() { std::free(buffer); }
};

FolderLister::FolderLister(const ScanOptions& options)
    : options_(options), platform_(std::make_unique<Platform>()) {
    platform_->bufferBytes = options.listingBufferBytes < 4096 ? 4096 : options.listingBufferBytes;
    platform_->buffer = static_cast<char*>(
        std::aligned_alloc(16, (platform_->bufferBytes + 15) & ~std::size_t{15}));
    if (platform_->buffer == nullptr) {
        throw std::bad_alloc();
    }
}

FolderLister::~FolderLister() = default;

bool FolderLister::open(const std::u16string& path) {
    const std::string bytes = fileNameToBytes(path);
    UniqueFd folder(::open(bytes.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.valid()) {
        return false;
    }
    // Every folder a walk lists lies on the device of its start folder, since folders on other
    // devices are never descended; so the device is read once per lister, not once per folder.
    if (!platform_->deviceKnown) {
        struct statx self {};
        if (::statx(folder.get(), "", AT_EMPTY_PATH, STATX_TYPE, &self) != 0) {
            return false;
        }
        platform_->deviceMajor = self.stx_dev_major;
        platform_->deviceMinor = self.stx_dev_minor;
        platform_->deviceKnown = true;
    }
    platform_->folder.reset(folder.release());
    return true;
}

void FolderLister::list(std::u16string& /*path*/, ListingBatch& batch) {
    Platform& p = *platform_;
    for (;;) {
        const long got = readDirectoryEntries(p.folder.get(), p.buffer, p.bufferBytes);
        if (got < 0) {
            batch.unreadable += 1;
            break;
        }
        if (got == 0) {
            break;
        }
        batch.reads += 1;
        forEachEntryName(p.buffer, got, [&](const char* name) {
            struct statx info {};
            if (::statx(p.folder.get(), name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                        kListingStatxMask, &info) != 0) {
                // The entry vanished or cannot be queried: keep it as an empty file.
                info = {};
                info.stx_mode = S_IFREG;
            }
            const std::size_t nameStart = batch.names.size();
            appendFileNameFromBytes(batch.names, name);
            BatchEntry& entry = batch.addEntryNamedFrom(nameStart);
            entry.created = createdFrom(info);
            if (S_ISDIR(info.stx_mode)) {
                entry.kind = KindFolder;
                entry.flags = FlagFolder;
                if (isMountRoot(info, p.deviceMajor, p.deviceMinor)) {
                    entry.flags |= FlagUnfollowed;
                } else {
                    batch.addSubfolder();
                }
            } else if (S_ISLNK(info.stx_mode)) {
                entry.kind = KindSymbolicLink;
                entry.flags = FlagLink;
                entry.fileCount = 1;
            } else {
                entry.kind = classify(batch.nameOf(entry));
                entry.size = static_cast<std::int64_t>(info.stx_size);
                entry.allocated = static_cast<std::int64_t>(info.stx_blocks * 512);
                entry.fileCount = 1;
                // Every file, not only one with several names now: a name that a later refresh
                // finds must meet the file already counted under its first name.
                if (options_.detectHardLinks) {
                    entry.fileId = fileIdOf(info);
                }
            }
        });
    }
    p.folder.reset();
}

}  // namespace scan
