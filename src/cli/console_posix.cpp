#include "cli/console.h"

#include "scan/scanner.h"
#include "scan/text.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace cli {

namespace {

// Lock-free, so the signal handler may set it.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int) {
    interrupted.store(true, std::memory_order_relaxed);
}

void writeAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

std::u16string reasonOf(int error) {
    switch (error) {
        case ENOENT:
            return u"it does not exist";
        case ENOTDIR:
            return u"it is not a folder";
        case EACCES:
        case EPERM:
            return u"access is denied";
        default: {
            std::string text = std::strerror(error);
            if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') {
                text[0] = static_cast<char>(text[0] - 'A' + 'a');
            }
            return scan::fromUtf8(text);
        }
    }
}

}  // namespace

void prepareConsole() {}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

void writeStandardOutput(std::string_view utf8) {
    writeAll(STDOUT_FILENO, utf8);
}

void writeStandardError(std::string_view utf8) {
    writeAll(STDERR_FILENO, utf8);
}

void installInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // One-shot: a second Ctrl+C finds the default action again.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
}

bool interruptRequested() {
    return interrupted.load(std::memory_order_relaxed);
}

void restoreInterruptDefault() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
}

std::optional<std::u16string> environmentText(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return scan::fileNameFromBytes(value);
}

std::FILE* openForWriting(const std::u16string& path, std::u16string& reason) {
    std::FILE* file = std::fopen(scan::fileNameToBytes(path).c_str(), "wb");
    if (file == nullptr) {
        const int error = errno;
        reason = error == ENOENT ? u"its folder does not exist" : reasonOf(error);
    }
    return file;
}

std::filesystem::path fileSystemPath(const std::u16string& path) {
    return std::filesystem::path(scan::fileNameToBytes(path));
}

std::u16string unreachableReason(const std::u16string& path) {
    const std::string bytes = scan::fileNameToBytes(scan::longPathOf(path));
    const int folder = ::open(bytes.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return reasonOf(errno);
    }
    ::close(folder);
    return u"it cannot be read";
}

}  // namespace cli
