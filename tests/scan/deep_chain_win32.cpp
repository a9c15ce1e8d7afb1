#include "deep_chain.h"

#include <windows.h>
// After windows.h, which it needs.
#include <winternl.h>

#include <string>
#include <vector>

namespace scan::testing {

namespace {

constexpr ULONG kCreateNew = 0x00000002;     // FILE_CREATE
constexpr ULONG kOpenExisting = 0x00000001;  // FILE_OPEN
constexpr ULONG kFolderOnly = 0x00000001;    // FILE_DIRECTORY_FILE
constexpr ULONG kFileOnly = 0x00000040;      // FILE_NON_DIRECTORY_FILE
constexpr ULONG kSynchronous = 0x00000020;   // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kBackupIntent = 0x00004000;  // FILE_OPEN_FOR_BACKUP_INTENT
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens or creates `name` in the open folder `parent`; null when it cannot.
HANDLE relative(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG disposition,
                ULONG options) {
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(name.c_str());
    text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES attributes{};
    attributes.Length = sizeof attributes;
    attributes.RootDirectory = parent;
    attributes.ObjectName = &text;
    IO_STATUS_BLOCK status{};
    HANDLE opened = nullptr;
    const NTSTATUS result =
        NtCreateFile(&opened, access | SYNCHRONIZE, &attributes, &status, nullptr, 0, kShareAll,
                     disposition, options | kSynchronous | kBackupIntent, nullptr, 0);
    return result >= 0 ? opened : nullptr;
}

HANDLE openBase(const std::filesystem::path& base) {
    const HANDLE opened =
        CreateFileW(base.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE, kShareAll,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    return opened == INVALID_HANDLE_VALUE ? nullptr : opened;
}

void markDeleted(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
}

}  // namespace

bool makeDeepChain(const std::filesystem::path& base, const std::string& name, int levels,
                   std::size_t fileBytes) {
    const std::wstring folderName(name.begin(), name.end());
    HANDLE at = openBase(base);
    const std::string bytes(fileBytes, 'x');
    for (int level = 0; level < levels && at != nullptr; ++level) {
        const HANDLE next =
            relative(at, folderName,
                     FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_TRAVERSE,
                     kCreateNew, kFolderOnly);
        CloseHandle(at);
        at = next;
        if (at == nullptr) {
            return false;
        }
        const HANDLE file = relative(at, L"f.txt", GENERIC_WRITE, kCreateNew, kFileOnly);
        DWORD written = 0;
        const bool wrote =
            file != nullptr &&
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0;
        if (file != nullptr) {
            CloseHandle(file);
        }
        if (!wrote) {
            CloseHandle(at);
            return false;
        }
    }
    if (at == nullptr) {
        return false;
    }
    CloseHandle(at);
    return true;
}

void removeDeepChain(const std::filesystem::path& base, const std::string& name) {
    const std::wstring folderName(name.begin(), name.end());
    std::vector<HANDLE> opened{openBase(base)};
    while (opened.back() != nullptr) {
        opened.push_back(relative(opened.back(), folderName,
                                  FILE_LIST_DIRECTORY | FILE_TRAVERSE | DELETE, kOpenExisting,
                                  kFolderOnly));
    }
    opened.pop_back();
    // Deepest first: a folder is deleted when its handle closes, once it is empty.
    for (std::size_t i = opened.size(); i-- > 0;) {
        const HANDLE file = relative(opened[i], L"f.txt", DELETE, kOpenExisting, kFileOnly);
        if (file != nullptr) {
            markDeleted(file);
            CloseHandle(file);
        }
        if (i > 0) {
            markDeleted(opened[i]);
        }
        CloseHandle(opened[i]);
    }
}

}  // namespace scan::testing
