#include "cli/console.h"

#include "scan/scanner.h"
#include "scan/system_error.h"
#include "scan/text.h"
#include "scan/unique_handle_win32.h"
#include "scan/wide_text_win32.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace cli {

using scan::wide;

namespace {

// The console's control handler runs on a thread of its own, so it may call the owner's
// function directly; the lock keeps restoreInterruptDefault from returning while it runs.
std::mutex callbackLock;
std::function<void()> interruptCallback;
bool interruptSeen = false;

BOOL WINAPI onControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    std::lock_guard guard(callbackLock);
    if (interruptSeen || !interruptCallback) {
        // A second Ctrl+C falls through to the default handler, which ends the process.
        return FALSE;
    }
    interruptSeen = true;
    interruptCallback();
    return TRUE;
}

void writeAll(DWORD which, std::string_view bytes) {
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        // A console takes UTF-16 whatever its code page.
        const std::u16string text = scan::fromUtf8(bytes);
        DWORD written = 0;
        ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr) ||
            written == 0) {
            return;
        }
        bytes.remove_prefix(written);
    }
}

std::u16string reasonOf(DWORD error) {
    return scan::reasonOfSystemError(error);
}

}  // namespace

void prepareConsole() {
    ::SetConsoleOutputCP(CP_UTF8);
}

bool standardErrorIsTerminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void writeStandardOutput(std::string_view utf8) {
    writeAll(STD_OUTPUT_HANDLE, utf8);
}

void writeStandardError(std::string_view utf8) {
    writeAll(STD_ERROR_HANDLE, utf8);
}

void installInterruptHandler(std::function<void()> onInterrupt) {
    {
        std::lock_guard guard(callbackLock);
        interruptCallback = std::move(onInterrupt);
        interruptSeen = false;
    }
    ::SetConsoleCtrlHandler(onControl, TRUE);
}

void restoreInterruptDefault() {
    ::SetConsoleCtrlHandler(onControl, FALSE);
    std::lock_guard guard(callbackLock);
    interruptCallback = nullptr;
}

std::optional<std::u16string> environmentText(const char* name) {
    const std::u16string wideName = scan::fromUtf8(name);
    const DWORD length = ::GetEnvironmentVariableW(wide(wideName), nullptr, 0);
    if (length == 0) {
        return std::nullopt;
    }
    std::u16string value(length, u'\0');
    const DWORD got =
        ::GetEnvironmentVariableW(wide(wideName), reinterpret_cast<wchar_t*>(value.data()), length);
    value.resize(got < length ? got : 0);
    return value;
}

std::FILE* openForWriting(const std::u16string& path, std::u16string& reason) {
    std::FILE* file = ::_wfopen(wide(path), L"wb");
    if (file == nullptr) {
        const int error = errno;
        reason = error == ENOENT ? u"its folder does not exist" : reasonOfError(error);
    }
    return file;
}

bool isReplaceableFile(const std::u16string& path) {
    scan::UniqueHandle existing(::CreateFileW(
        wide(path), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return !existing.valid() || ::GetFileType(existing.get()) == FILE_TYPE_DISK;
}

std::FILE* createNewFile(const std::u16string& path, bool& taken, std::u16string& reason) {
    taken = false;
    scan::UniqueHandle made(::CreateFileW(wide(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!made.valid()) {
        const DWORD error = ::GetLastError();
        taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        reason = error == ERROR_PATH_NOT_FOUND ? u"its folder does not exist" : reasonOf(error);
        return nullptr;
    }
    const int descriptor =
        ::_open_osfhandle(reinterpret_cast<std::intptr_t>(made.get()), _O_WRONLY | _O_BINARY);
    if (descriptor < 0) {
        reason = reasonOfError(errno);
        made.reset();
        ::DeleteFileW(wide(path));
        return nullptr;
    }
    // The descriptor owns the handle now.
    made.release();
    std::FILE* file = ::_fdopen(descriptor, "wb");
    if (file == nullptr) {
        reason = reasonOfError(errno);
        ::_close(descriptor);
        ::DeleteFileW(wide(path));
    }
    return file;
}

bool syncToDisk(std::FILE* stream) {
    return ::_commit(::_fileno(stream)) == 0;
}

bool syncFileToDisk(const std::u16string& path) {
    scan::UniqueHandle file(::CreateFileW(wide(path), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() && ::FlushFileBuffers(file.get()) != 0;
}

bool replaceFile(const std::u16string& from, const std::u16string& to, std::u16string& reason) {
    if (::MoveFileExW(wide(from), wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ==
        0) {
        const DWORD error = ::GetLastError();
        // A folder of that name refuses the rename as denied access.
        const DWORD attributes = ::GetFileAttributesW(wide(to));
        reason = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                     ? u"a folder has that name"
                     : reasonOf(error);
        return false;
    }
    return true;
}

void removeFile(const std::u16string& path) {
    ::DeleteFileW(wide(path));
}

std::u16string reasonOfError(int error) {
    switch (error) {
        case EACCES:
            return u"access is denied";
        case ENOENT:
            return u"it does not exist";
        case ENOSPC:
            return u"the disk is full";
        case EFBIG:
            return u"the file grew too large";
        default: {
            std::string text = std::strerror(error);
            if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') {
                text[0] = static_cast<char>(text[0] - 'A' + 'a');
            }
            return scan::fromUtf8(text);
        }
    }
}

std::filesystem::path fileSystemPath(const std::u16string& path) {
    return std::filesystem::path(wide(path));
}

}  // namespace cli
