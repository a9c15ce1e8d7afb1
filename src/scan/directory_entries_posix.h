#pragma once

// A folder's entries in bulk with getdents64, the one Linux call that fills a large buffer with
// many names at once, and the statx request made for each of them.

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace scan {

// What a listing asks statx of every entry.
inline constexpr unsigned kListingStatxMask =
    STATX_TYPE | STATX_SIZE | STATX_BLOCKS | STATX_NLINK | STATX_INO | STATX_BTIME;

// Fills `buffer` with the next entries of the open folder `folder`: answers the bytes filled,
// 0 at the end, or -1 with errno set.
inline long readDirectoryEntries(int folder, char* buffer, std::size_t bytes) {
    return ::syscall(SYS_getdents64, folder, buffer, bytes);
}

// Calls each(name, type) for every entry in the first `filled` bytes of a buffer
// readDirectoryEntries filled, leaving out "." and "..". The type is the listing's own DT_ value,
// DT_UNKNOWN where the file system does not say.
template <class Each>
void forEachEntry(const char* buffer, long filled, Each&& each) {
    // The record getdents64 fills; the kernel's own layout.
    struct LinuxDirent64 {
        std::uint64_t inode;
        std::int64_t offset;
        unsigned short length;
        unsigned char type;
        char name[1];
    };
    for (long at = 0; at < filled;) {
        const auto* record = reinterpret_cast<const LinuxDirent64*>(buffer + at);
        at += record->length;
        const char* name = record->name;
        if (name[0] == '\0' || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
            continue;
        }
        each(name, record->type);
    }
}

// The same for callers that need only the names.
template <class Each>
void forEachEntryName(const char* buffer, long filled, Each&& each) {
    forEachEntry(buffer, filled, [&each](const char* name, unsigned char) { each(name); });
}

}  // namespace scan
