// Listing with the handle-based directory enumeration: one call fills the 256 KiB buffer with
// hundreds of entries carrying sizes, times, attributes and file identifiers, so no call is made
// per file except for the on-disk size of compressed and sparse files.

#include "scan/file_kinds.h"
#include "scan/folder_lister.h"
#include "scan/unique_handle_win32.h"
#include "scan/wide_text_win32.h"

#include <windows.h>

#include <cstdlib>
#include <new>

namespace scan {

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

bool FolderLister::open(const std::u16string& path) {
    platform_->folder.reset(CreateFileW(
        wide(path), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return platform_->folder.valid();
}

void FolderLister::list(std::u16string& path, ListingBatch& batch) {
    Platform& p = *platform_;
    FILE_INFO_BY_HANDLE_CLASS infoClass = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (!GetFileInformationByHandleEx(p.folder.get(), infoClass, p.buffer, p.bufferBytes)) {
            if (GetLastError() != ERROR_NO_MORE_FILES) {
                batch.unreadable += 1;
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
                        const std::size_t folderLength = path.size();
                        if (path.empty() || path.back() != u'\\') {
                            path.push_back(u'\\');
                        }
                        path.append(batch.nameOf(entry));
                        DWORD high = 0;
                        const DWORD low = GetCompressedFileSizeW(wide(path), &high);
                        batch.reads += 1;
                        if (low != INVALID_FILE_SIZE || GetLastError() == NO_ERROR) {
                            entry.allocated =
                                static_cast<std::int64_t>((std::uint64_t{high} << 32) | low);
                        }
                        path.resize(folderLength);
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
    p.folder.reset();
}

}  // namespace scan
