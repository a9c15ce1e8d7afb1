#include "cli/console.h"

#include "scan/scanner.h"
#include "scan/system_error.h"
#include "scan/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace cli {

namespace {

// The signal handler only writes one byte to this pipe, which is async-signal-safe; a watcher
// thread reads it and calls the owner's function.
int interruptPipe[2] = {-1, -1};
std::thread watcher;
std::function<void()> interruptCallback;

constexpr char kInterrupt = 'i';
constexpr char kQuit = 'q';

extern "C" void onInterrupt(int) {
    const int saved = errno;
    const char byte = kInterrupt;
    [[maybe_unused]] const ssize_t ignored = ::write(interruptPipe[1], &byte, 1);
    errno = saved;
}

void watchInterrupts() {
    for (;;) {
        char byte = 0;
        const ssize_t got = ::read(interruptPipe[0], &byte, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got != 1 || byte == kQuit) {
            return;
        }
        interruptCallback();
    }
}

void setAction(void (*handler)(int), int flags) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    ::sigaction(SIGINT, &action, nullptr);
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
    return scan::reasonOfSystemError(static_cast<unsigned long>(error));
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

void installInterruptHandler(std::function<void()> onInterrupt) {
    if (::pipe2(interruptPipe, O_CLOEXEC) != 0) {
        return;
    }
    interruptCallback = std::move(onInterrupt);
    watcher = std::thread(watchInterrupts);
    // One-shot: a second Ctrl+C finds the default action again.
    setAction(cli::onInterrupt, SA_RESETHAND | SA_RESTART);
}

void restoreInterruptDefault() {
    setAction(SIG_DFL, 0);
    if (!watcher.joinable()) {
        return;
    }
    const char byte = kQuit;
    while (::write(interruptPipe[1], &byte, 1) < 0 && errno == EINTR) {
    }
    watcher.join();
    ::close(interruptPipe[0]);
    ::close(interruptPipe[1]);
    interruptPipe[0] = interruptPipe[1] = -1;
    interruptCallback = nullptr;
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

bool isReplaceableFile(const std::u16string& path) {
    struct stat facts {};
    if (::stat(scan::fileNameToBytes(path).c_str(), &facts) != 0) {
        return true;
    }
    return S_ISREG(facts.st_mode) || S_ISDIR(facts.st_mode);
}

std::FILE* createNewFile(const std::u16string& path, bool& taken, std::u16string& reason) {
    taken = false;
    const int made = ::open(scan::fileNameToBytes(path).c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (made < 0) {
        const int error = errno;
        taken = error == EEXIST;
        reason = error == ENOENT ? u"its folder does not exist" : reasonOf(error);
        return nullptr;
    }
    std::FILE* file = ::fdopen(made, "wb");
    if (file == nullptr) {
        reason = reasonOf(errno);
        ::close(made);
        ::unlink(scan::fileNameToBytes(path).c_str());
    }
    return file;
}

bool syncToDisk(std::FILE* stream) {
    return ::fsync(::fileno(stream)) == 0;
}

bool syncFileToDisk(const std::u16string& path) {
    const int file = ::open(scan::fileNameToBytes(path).c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (file < 0) {
        return false;
    }
    const bool synced = ::fsync(file) == 0;
    const int error = errno;
    ::close(file);
    errno = error;
    return synced;
}

bool replaceFile(const std::u16string& from, const std::u16string& to, std::u16string& reason) {
    if (::rename(scan::fileNameToBytes(from).c_str(), scan::fileNameToBytes(to).c_str()) != 0) {
        const int error = errno;
        reason = error == EISDIR ? u"a folder has that name" : reasonOf(error);
        return false;
    }
    return true;
}

void removeFile(const std::u16string& path) {
    ::unlink(scan::fileNameToBytes(path).c_str());
}

std::u16string reasonOfError(int error) {
    return reasonOf(error);
}

std::filesystem::path fileSystemPath(const std::u16string& path) {
    return std::filesystem::path(scan::fileNameToBytes(path));
}

}  // namespace cli
