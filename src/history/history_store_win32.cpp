#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <limits>

#include "history/bounded_retry.h"
#include "history/history_format.h"
#include "history/history_store.h"
#include "scan/unique_handle_win32.h"
#include "scan/wide_text_win32.h"

namespace history {

namespace {

using scan::UniqueHandle;
using scan::wideString;

// Another process reading the history holds it open for a moment, which makes the rename
// over it fail until it closes.
constexpr std::chrono::milliseconds kRenameWait{2'000};

std::wstring historyPath(const std::u16string& folder) {
    return wideString(folder) + L"\\scan-history.txt";
}

bool isNotFound(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool writeFile(const std::wstring& path, std::string_view text) {
    if (text.size() > std::numeric_limits<DWORD>::max()) {
        return false;
    }
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return false;
    }
    const auto size = static_cast<DWORD>(text.size());
    DWORD written = 0;
    // A short write renamed over the history would lose entries, and without the flush a crash
    // soon after the rename can leave an empty file.
    return (size == 0 || WriteFile(file.get(), text.data(), size, &written, nullptr) != 0) &&
           written == size && FlushFileBuffers(file.get()) != 0 && file.reset();
}

bool moveOver(const std::wstring& from, const std::wstring& to) {
    return retryFor(kRenameWait, [&] {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) {
            return Attempt::Done;
        }
        const DWORD error = GetLastError();
        return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? Attempt::Again
                                                                                : Attempt::Failed;
    });
}

}  // namespace

std::u16string keyOf(std::u16string_view rootPath) {
    return lowerCaseAscii(rootPath);
}

std::u16string defaultDataFolder() {
    PWSTR base = nullptr;
    const HRESULT result = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &base);
    std::u16string folder;
    if (SUCCEEDED(result) && base != nullptr) {
        const std::wstring_view text(base);
        folder.assign(text.begin(), text.end());
        folder += u"\\Rozovizov";
    }
    CoTaskMemFree(base);
    return folder;
}

void createDataFolder(const std::u16string& folder) {
    CreateDirectoryW(wideString(folder).c_str(), nullptr);
}

HistoryFileRead readHistoryFile(const std::u16string& folder) {
    HistoryFileRead result;
    // Sharing delete lets a writer's rename replace the file while it is read here.
    UniqueHandle file(CreateFileW(historyPath(folder).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        result.status = isNotFound(GetLastError()) ? ReadStatus::Missing : ReadStatus::Failed;
        return result;
    }
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) == 0) {
        result.status = ReadStatus::Failed;
        return result;
    }
    result.status = ReadStatus::Read;
    if (size.QuadPart <= 0 || static_cast<std::uint64_t>(size.QuadPart) >= kHistoryByteLimit) {
        return result;
    }
    result.bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (ReadFile(file.get(), result.bytes.data(), static_cast<DWORD>(result.bytes.size()), &read,
                 nullptr) == 0) {
        result.status = ReadStatus::Failed;
        read = 0;
    }
    result.bytes.resize(read);
    return result;
}

bool whileLocked(const std::u16string& folder, std::chrono::milliseconds maxWait,
                 const std::function<void()>& work) {
    const std::wstring path = historyPath(folder) + L".lock";
    UniqueHandle lockFile(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!lockFile.valid()) {
        return false;
    }
    // A byte-range lock ends with its handle or its process, so a crashed holder frees it.
    const bool locked = retryFor(maxWait, [&] {
        OVERLAPPED start{};
        if (LockFileEx(lockFile.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                       &start) != 0) {
            return Attempt::Done;
        }
        return GetLastError() == ERROR_LOCK_VIOLATION ? Attempt::Again : Attempt::Failed;
    });
    if (!locked) {
        return false;
    }
    work();
    OVERLAPPED start{};
    UnlockFileEx(lockFile.get(), 0, 1, 0, &start);
    return true;
}

bool replaceHistoryFile(const std::u16string& folder, std::string_view text) {
    const std::wstring path = historyPath(folder);
    const std::wstring temporary = path + L".tmp";
    if (writeFile(temporary, text) && moveOver(temporary, path)) {
        return true;
    }
    DeleteFileW(temporary.c_str());
    return false;
}

}  // namespace history
