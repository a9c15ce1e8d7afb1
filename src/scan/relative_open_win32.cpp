#include "scan/relative_open_win32.h"

// After windows.h, which it needs.
#include <winternl.h>

namespace scan {

namespace {

constexpr ULONG kOpenExisting = 0x00000001;        // FILE_OPEN
constexpr ULONG kSynchronous = 0x00000020;         // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kBackupIntent = 0x00004000;        // FILE_OPEN_FOR_BACKUP_INTENT
constexpr ULONG kReparsePointItself = 0x00200000;  // FILE_OPEN_REPARSE_POINT
constexpr ULONG kCaseInsensitive = 0x00000040;     // OBJ_CASE_INSENSITIVE

}  // namespace

HANDLE openRelative(HANDLE parent, std::u16string_view name, ACCESS_MASK access, ULONG kind) {
    if (name.empty() || name.size() > 32767) {
        return nullptr;
    }
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(reinterpret_cast<const wchar_t*>(name.data()));
    text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES attributes{};
    attributes.Length = sizeof attributes;
    attributes.RootDirectory = parent;
    attributes.ObjectName = &text;
    attributes.Attributes = kCaseInsensitive;
    IO_STATUS_BLOCK status{};
    HANDLE opened = nullptr;
    const NTSTATUS result =
        NtCreateFile(&opened, access, &attributes, &status, nullptr, 0, kShareAll, kOpenExisting,
                     kind | kSynchronous | kBackupIntent | kReparsePointItself, nullptr, 0);
    return result >= 0 ? opened : nullptr;
}

DWORD attributesOf(HANDLE handle, bool& known) {
    FILE_ATTRIBUTE_TAG_INFO info{};
    known = GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info) != 0;
    return known ? info.FileAttributes : 0;
}

bool isPlainFolder(HANDLE handle) {
    bool known = false;
    const DWORD attributes = attributesOf(handle, known);
    return known && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

}  // namespace scan
