// Listing with the handle-based directory enumeration: one call fills the 256 KiB buffer with
// hundreds of entries carrying sizes, times, attributes and file identifiers, so no call is made
// per file except for the on-disk size of compressed and sparse files.
//
// Folders below the start folder, and those files, are opened by name relative to the open
// parent folder (the RootDirectory of NtCreateFile, the kernel's own relative open) and as the
// reparse point itself, never through it; a handle that turns out to be a reparse point is
// refused.

#include "scan/file_kinds.h"
#include "scan/folder_lister.h"
#include "scan/relative_open_win32.h"
#include "scan/unique_handle_win32.h"
#include "scan/wide_text_win32.h"

#include <windows.h>

#include <cstdlib>
#include <new>

namespace scan {

namespace {

// The on-disk size of a compressed or sparse file in the open folder, opened by its name there.
bool compressedSizeOf(HANDLE folder, std::u16string_view name, std::int64_t& size) {
    UniqueHandle file(openRelative(folder, name, FILE_READ_ATTRIBUTES | SYNCHRONIZE, kFileOnly));
    FILE_COMPRESSION_INFO info{};
    if (!file.valid() ||
        !GetFileInformationByHandleEx(file.get(), FileCompressionInfo, &info, sizeof info)) {
        return false;
    }
    size = info.CompressedFileSize.QuadPart;
    return true;
}

}  // namespace

OpenFolder::~OpenFolder() {
    CloseHandle(reinterpret_cast<HANDLE>(native_));
}

struct FolderLister::Platform {
    UniqueHandle folder;
    void* buffer = nullptr;
    DWORD bufferBytes = 0;

    ~Platform() { _aligned_free(buffer); }
};

FolderLister::FolderLister(const ScanOptions& options)
    : options_(options), platform_(std::make_unique<Platform>()) {
    const std::uint64_t bytes =
        options.listingBufferBytes < 4096 ? 4096 : options.listingBufferBytes;
    platform_->bufferBytes = static_cast<DWORD>(bytes > 0x7fffffff ? 0x7fffffff : bytes);
    platform_->buffer = _aligned_malloc(platform_->bufferBytes, 16);
    if (platform_->buffer == nullptr) {
        throw std::bad_alloc();
    }
}

FolderLister::~FolderLister() = default;

std::size_t FolderLister::keptFolderLimit() {
    // Handles are not scarce here; the limit only bounds the kernel memory a strange tree can
    // make the walk hold.
    return 16384;
}

bool FolderLister::openPath(const std::u16string& path) {
    close();
    UniqueHandle opened(CreateFileW(wide(path), kFolderAccess, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    // The start folder may be reached through a link, as the user named it; but it must be a
    // folder, which a file opened with backup semantics is not.
    bool known = false;
    if (!opened.valid() || (attributesOf(opened.get(), known) & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return false;
    }
    platform_->folder.reset(opened.release());
    return true;
}

bool FolderLister::openBelow(const OpenFolder& base,
                             const std::vector<std::u16string_view>& names) {
    close();
    UniqueHandle reached;
    HANDLE at = reinterpret_cast<HANDLE>(base.native_);
    for (const std::u16string_view name : names) {
        UniqueHandle next(openRelative(at, name, kFolderAccess, kFolderOnly));
        if (!next.valid() || !isPlainFolder(next.get())) {
            return false;
        }
        reached.reset(next.release());
        at = reached.get();
    }
    if (names.empty()) {
        HANDLE copy = nullptr;
        if (!DuplicateHandle(GetCurrentProcess(), at, GetCurrentProcess(), &copy, 0, FALSE,
                             DUPLICATE_SAME_ACCESS)) {
            return false;
        }
        reached.reset(copy);
    }
    platform_->folder.reset(reached.release());
    return true;
}

std::unique_ptr<OpenFolder> FolderLister::keepOpen(NodeId row) {
    if (!platform_->folder.valid()) {
        return nullptr;
    }
    const HANDLE handle = platform_->folder.release();
    return std::unique_ptr<OpenFolder>(
        new OpenFolder(reinterpret_cast<std::intptr_t>(handle), row));
}

void FolderLister::close() {
    platform_->folder.reset();
}

void FolderLister::list(ListingBatch& batch, const std::atomic<bool>& stop) {
    Platform& p = *platform_;
    FILE_INFO_BY_HANDLE_CLASS infoClass = FileIdBothDirectoryRestartInfo;
    while (!stop.load(std::memory_order_relaxed)) {
        if (!GetFileInformationByHandleEx(p.folder.get(), infoClass, p.buffer, p.bufferBytes)) {
            if (GetLastError() != ERROR_NO_MORE_FILES) {
                batch.unreadable = 1;
            }
            break;
        }
        infoClass = FileIdBothDirectoryInfo;
        batch.reads += 1;
        auto* at = static_cast<const unsigned char*>(p.buffer);
        for (;;) {
            const auto* record = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            const std::u16string_view name(reinterpret_cast<const char16_t*>(record->FileName),
                                           record->FileNameLength / 2);
            if (!name.empty() && name != u"." && name != u"..") {
                BatchEntry& entry = batch.addEntry(name);
                entry.created = createdFromFileTime(record->CreationTime.QuadPart);
                const DWORD attributes = record->FileAttributes;
                const bool reparse = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
                if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                    entry.kind = KindFolder;
                    entry.flags = FlagFolder;
                    if (reparse) {
                        entry.flags |= FlagUnfollowed;
                    } else {
                        batch.addSubfolder();
                    }
                } else if (reparse) {
                    entry.kind = KindSymbolicLink;
                    entry.flags = FlagLink;
                    entry.fileCount = 1;
                } else {
                    entry.kind = classify(batch.nameOf(entry));
                    entry.size = record->EndOfFile.QuadPart;
                    entry.allocated = record->AllocationSize.QuadPart;
                    entry.fileCount = 1;
                    if (options_.compressedSizes &&
                        (attributes & (FILE_ATTRIBUTE_SPARSE_FILE | FILE_ATTRIBUTE_COMPRESSED))) {
                        std::int64_t onDisk = 0;
                        batch.reads += 1;
                        if (compressedSizeOf(p.folder.get(), batch.nameOf(entry), onDisk)) {
                            entry.allocated = onDisk;
                        }
                    }
                    if (options_.detectHardLinks) {
                        entry.fileId = static_cast<std::uint64_t>(record->FileId.QuadPart);
                    }
                }
            }
            if (record->NextEntryOffset == 0) {
                break;
            }
            at += record->NextEntryOffset;
        }
    }
}

}  // namespace scan
