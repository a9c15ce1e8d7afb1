#pragma once

// Opening a file or folder by its name relative to an open folder, as itself and never through a
// reparse point: the kernel's own relative open (the RootDirectory of NtCreateFile). The walk
// opens every folder below its start this way, and so does anything that must reach the item the
// walk found rather than whatever a link at its place leads to. Windows only.

#include <windows.h>

#include <string_view>

namespace scan {

// Values of the kernel's create call, which not every SDK's winternl.h defines.
inline constexpr ULONG kAnyKind = 0x00000000;
inline constexpr ULONG kFolderOnly = 0x00000001;  // FILE_DIRECTORY_FILE
inline constexpr ULONG kFileOnly = 0x00000040;    // FILE_NON_DIRECTORY_FILE
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
inline constexpr ACCESS_MASK kFolderAccess =
    FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

// Opens `name` in the open folder `parent` as itself, never through a reparse point; `kind` is
// kAnyKind, kFolderOnly or kFileOnly. Null when it cannot be opened.
HANDLE openRelative(HANDLE parent, std::u16string_view name, ACCESS_MASK access, ULONG kind);

// The attributes of an open file or folder; 0 with `known` false when they cannot be read.
DWORD attributesOf(HANDLE handle, bool& known);

// Whether an open handle is a folder that is not a reparse point.
bool isPlainFolder(HANDLE handle);

}  // namespace scan
