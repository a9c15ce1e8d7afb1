// Listing with getdents64 into the listing buffer and one statx per entry, without following
// symbolic links. A folder on another device than the one it lies in is a mount point and is
// never descended, as a reparse folder is not on Windows.

#include "scan/directory_entries_posix.h"
#include "scan/file_kinds.h"
#include "scan/folder_lister.h"
#include "scan/long_path_posix.h"
#include "scan/text.h"
#include "scan/unique_fd_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
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

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Kernels before 5.6, and sandboxes that filter the call, lack openat2; O_NOFOLLOW alone still
// keeps links out there, and the listing's own device check keeps mounts out.
std::atomic<bool> openat2Missing{false};

// Opens the folder `name` in the open folder `parent`: not through a link, and not into a file
// system mounted there since the parent was listed.
int openChild(int parent, const char* name) {
    if (!openat2Missing.load(std::memory_order_relaxed)) {
        open_how how{};
        how.flags = kFolderFlags;
        how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV;
        const long opened = ::syscall(SYS_openat2, parent, name, &how, sizeof how);
        if (opened >= 0 || (errno != ENOSYS && errno != EPERM)) {
            return static_cast<int>(opened);
        }
        openat2Missing.store(true, std::memory_order_relaxed);
    }
    return ::openat(parent, name, kFolderFlags);
}

}  // namespace

OpenFolder::~OpenFolder() {
    ::close(static_cast<int>(native_));
}

struct FolderLister::Platform {
    UniqueFd folder;
    std::uint32_t deviceMajor = 0;
    std::uint32_t deviceMinor = 0;
    bool deviceKnown = false;
    char* buffer = nullptr;
    std::size_t bufferBytes = 0;
    std::string name;

    ~Platform() { std::free(buffer); }

    // Takes `opened` as the open folder, learning the walk's device from the first one.
    bool take(int opened) {
        UniqueFd candidate(opened);
        if (!candidate.valid()) {
            return false;
        }
        // Every folder a walk lists lies on the device of its start folder, since folders on
        // other devices are never descended; so the device is read once per lister.
        if (!deviceKnown) {
            struct statx self {};
            if (::statx(candidate.get(), "", AT_EMPTY_PATH, STATX_TYPE, &self) != 0) {
                return false;
            }
            deviceMajor = self.stx_dev_major;
            deviceMinor = self.stx_dev_minor;
            deviceKnown = true;
        }
        folder.reset(candidate.release());
        return true;
    }
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

std::size_t FolderLister::keptFolderLimit() {
    // Half of what the process may open leaves the rest to the listing threads and to the
    // program around the walk.
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return 4096;
    }
    const rlim_t half = limit.rlim_cur / 2;
    return half < 8 ? 8 : half > 65536 ? 65536 : static_cast<std::size_t>(half);
}

bool FolderLister::openPath(const std::u16string& path) {
    close();
    return platform_->take(openLongPath(fileNameToBytes(path), O_RDONLY | O_DIRECTORY));
}

bool FolderLister::openBelow(const OpenFolder& base,
                             const std::vector<std::u16string_view>& names) {
    Platform& p = *platform_;
    close();
    UniqueFd reached;
    int at = static_cast<int>(base.native_);
    for (const std::u16string_view name : names) {
        p.name = fileNameToBytes(name);
        reached.reset(openChild(at, p.name.c_str()));
        if (!reached.valid()) {
            return false;
        }
        at = reached.get();
    }
    return p.take(names.empty() ? ::fcntl(at, F_DUPFD_CLOEXEC, 0) : reached.release());
}

std::unique_ptr<OpenFolder> FolderLister::keepOpen(NodeId row) {
    if (!platform_->folder.valid()) {
        return nullptr;
    }
    return std::unique_ptr<OpenFolder>(new OpenFolder(platform_->folder.release(), row));
}

void FolderLister::close() {
    platform_->folder.reset();
}

void FolderLister::list(ListingBatch& batch, const std::atomic<bool>& stop) {
    Platform& p = *platform_;
    bool detailsMissing = false;
    while (!stop.load(std::memory_order_relaxed)) {
        const long got = readDirectoryEntries(p.folder.get(), p.buffer, p.bufferBytes);
        if (got < 0) {
            batch.unreadable = 1;
            break;
        }
        if (got == 0) {
            break;
        }
        batch.reads += 1;
        forEachEntry(p.buffer, got, [&](const char* name, unsigned char type) {
            struct statx info {};
            if (::statx(p.folder.get(), name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                        kListingStatxMask, &info) != 0) {
                if (errno == ENOENT) {
                    return;  // gone since the listing
                }
                // A folder that may be read but not entered names its entries and tells
                // nothing more: keep what the listing said, invent no sizes, and count the
                // folder as not read in full.
                detailsMissing = true;
                info = {};
                info.stx_mode = type == DT_DIR ? S_IFDIR : type == DT_LNK ? S_IFLNK : S_IFREG;
                info.stx_dev_major = p.deviceMajor;
                info.stx_dev_minor = p.deviceMinor;
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
    if (detailsMissing) {
        batch.unreadable = 1;
    }
}

}  // namespace scan
