#include "scan/item_identity.h"

#include "scan/relative_open_win32.h"
#include "scan/unique_handle_win32.h"
#include "scan/wide_text_win32.h"

namespace scan {

ItemIdentity identityBelow(const std::u16string& root, const std::vector<std::u16string>& names) {
    ItemIdentity identity;
    if (names.empty()) {
        return identity;
    }
    UniqueHandle folder(CreateFileW(wide(root), kFolderAccess, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    bool known = false;
    if (!folder.valid() || (attributesOf(folder.get(), known) & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return identity;
    }
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        UniqueHandle next(openRelative(folder.get(), names[i], kFolderAccess, kFolderOnly));
        if (!next.valid() || !isPlainFolder(next.get())) {
            return identity;
        }
        folder.reset(next.release());
    }
    const UniqueHandle item(
        openRelative(folder.get(), names.back(), FILE_READ_ATTRIBUTES | SYNCHRONIZE, kAnyKind));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!item.valid() || !GetFileInformationByHandle(item.get(), &info)) {
        return identity;
    }
    identity.found = true;
    identity.folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    identity.link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    identity.volume = info.dwVolumeSerialNumber;
    identity.fileId = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    if (!identity.folder && !identity.link) {
        identity.length = static_cast<std::int64_t>((std::uint64_t{info.nFileSizeHigh} << 32) |
                                                    info.nFileSizeLow);
    }
    return identity;
}

}  // namespace scan
