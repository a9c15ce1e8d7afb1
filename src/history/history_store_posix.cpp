#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "history/bounded_retry.h"
#include "history/history_store.h"
#include "scan/text.h"
#include "scan/unique_fd_posix.h"

namespace history {

namespace {

using scan::UniqueFd;

std::string historyPath(const std::u16string& folder) {
    return scan::fileNameToBytes(folder) + "/scan-history.txt";
}

bool isAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

bool readAll(int fd, std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return true;
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = ::write(fd, text.data(), text.size());
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

bool writeFile(const std::string& path, std::string_view text) {
    UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0600));
    // Without the flush a crash soon after the rename can leave an empty history on some
    // file systems.
    return file.valid() && writeAll(file.get(), text) && ::fsync(file.get()) == 0 && file.reset();
}

}  // namespace

std::u16string keyOf(std::u16string_view rootPath) {
    return std::u16string(rootPath);
}

std::u16string defaultDataFolder() {
    // A relative XDG_DATA_HOME is invalid and ignored, as the base directory rules ask.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (isAbsolute(dataHome)) {
        base = dataHome;
    } else if (const char* home = std::getenv("HOME"); isAbsolute(home)) {
        base = std::string(home) + "/.local/share";
    } else {
        return {};
    }
    return scan::fileNameFromBytes(base + "/Rozovizov");
}

void createDataFolder(const std::u16string& folder) {
    const std::string path = scan::fileNameToBytes(folder);
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        ::mkdir(path.substr(0, slash).c_str(), 0700);
    }
    ::mkdir(path.c_str(), 0700);
}

HistoryFileRead readHistoryFile(const std::u16string& folder) {
    HistoryFileRead result;
    // Non-blocking, so a FIFO planted there cannot hang the open.
    UniqueFd file(
        ::open(historyPath(folder).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file.valid()) {
        result.status =
            errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Failed;
        return result;
    }
    struct stat facts {};
    // Anything but a regular file there is not ours to replace.
    if (::fstat(file.get(), &facts) != 0 || !S_ISREG(facts.st_mode)) {
        result.status = ReadStatus::Failed;
        return result;
    }
    result.status = ReadStatus::Read;
    if (facts.st_size <= 0 || static_cast<std::uint64_t>(facts.st_size) >= kHistoryByteLimit) {
        return result;
    }
    result.bytes.resize(static_cast<std::size_t>(facts.st_size));
    if (!readAll(file.get(), result.bytes)) {
        result.status = ReadStatus::Failed;
        result.bytes.clear();
    }
    return result;
}

bool whileLocked(const std::u16string& folder, std::chrono::milliseconds maxWait,
                 const std::function<void()>& work) {
    const std::string path = historyPath(folder) + ".lock";
    UniqueFd lockFile(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600));
    if (!lockFile.valid()) {
        return false;
    }
    // The lock belongs to the open file, so closing it (or the process ending) releases it.
    const bool locked = retryFor(maxWait, [&] {
        if (::flock(lockFile.get(), LOCK_EX | LOCK_NB) == 0) {
            return Attempt::Done;
        }
        return errno == EWOULDBLOCK || errno == EINTR ? Attempt::Again : Attempt::Failed;
    });
    if (!locked) {
        return false;
    }
    work();
    return true;
}

bool replaceHistoryFile(const std::u16string& folder, std::string_view text) {
    const std::string path = historyPath(folder);
    const std::string temporary = path + ".tmp";
    if (writeFile(temporary, text) && ::rename(temporary.c_str(), path.c_str()) == 0) {
        return true;
    }
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace history
