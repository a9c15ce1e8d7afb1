#include "scan/item_identity.h"

#include "scan/text.h"
#include "scan/unique_fd_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace scan {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

}  // namespace

ItemIdentity identityBelow(const std::u16string& root, const std::vector<std::u16string>& names) {
    ItemIdentity identity;
    if (names.empty()) {
        return identity;
    }
    UniqueFd folder(::open(fileNameToBytes(root).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) {
        return identity;
    }
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        UniqueFd next(::openat(folder.get(), fileNameToBytes(names[i]).c_str(), kFolderFlags));
        if (!next.valid()) {
            return identity;
        }
        folder.reset(next.release());
    }
    struct stat info {};
    if (::fstatat(folder.get(), fileNameToBytes(names.back()).c_str(), &info,
                  AT_SYMLINK_NOFOLLOW) != 0) {
        return identity;
    }
    identity.found = true;
    identity.folder = S_ISDIR(info.st_mode);
    identity.link = S_ISLNK(info.st_mode);
    identity.volume = static_cast<std::uint64_t>(info.st_dev);
    // Folded with the device as the walk folds it, so it compares with what a scan recorded.
    identity.fileId = static_cast<std::uint64_t>(info.st_ino) ^
                      (std::uint64_t{major(info.st_dev)} << 56) ^
                      (std::uint64_t{minor(info.st_dev)} << 40);
    if (S_ISREG(info.st_mode)) {
        identity.length = static_cast<std::int64_t>(info.st_size);
    }
    return identity;
}

}  // namespace scan
