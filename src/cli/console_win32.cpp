#include "cli/console.h"

#include "scan/scanner.h"
#include "scan/text.h"
#include "scan/wide_text_win32.h"

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
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return u"it does not exist";
        case ERROR_DIRECTORY:
            return u"it is not a folder";
        case ERROR_ACCESS_DENIED:
            return u"access is denied";
        case ERROR_NOT_READY:
            return u"the drive is not ready";
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return u"the network path was not found";
        default:
            return u"error " + scan::fromUtf8(std::to_string(error));
    }
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
        reason = error == EACCES   ? u"access is denied"
                 : error == ENOENT ? u"its folder does not exist"
                                   : scan::fromUtf8(std::strerror(error));
    }
    return file;
}

std::filesystem::path fileSystemPath(const std::u16string& path) {
    return std::filesystem::path(wide(path));
}

std::u16string unreachableReason(const std::u16string& path) {
    std::u16string pattern = scan::longPathOf(path);
    if (!pattern.empty() && pattern.back() != u'\\') {
        pattern.push_back(u'\\');
    }
    pattern.push_back(u'*');
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(wide(pattern), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return reasonOf(::GetLastError());
    }
    ::FindClose(search);
    return u"it cannot be read";
}

}  // namespace cli
