// One walk of a folder tree per process, so that bench/walk-vs-peers can time whole processes
// against other tools:
//   walk_bench scan --threads N PATH    the real Scanner::scan (N = 0: the automatic count)
//   walk_bench floor --threads N PATH   a bare getdents64 + statx walk with N threads
// Each prints one line of totals so that the two, and find, can be cross-checked.

#include "history/scan_history.h"
#include "scan/directory_entries_posix.h"
#include "scan/scanner.h"
#include "scan/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

// The same listing buffer size and statx request as the scanner's, so the floor does the same
// system calls and only what the scanner adds on top of them is measured.
const std::size_t kBufferBytes = scan::ScanOptions{}.listingBufferBytes;

// The least a parallel walk must do: a shared stack of folder paths, and per folder one open,
// getdents64 until the end, one statx per entry, and a push of the subfolders. It keeps nothing
// but counts. Threads wait on a condition variable while the stack is empty and others still
// list; the walk ends when no folder is left and none is being listed.
class FloorWalk {
  public:
    explicit FloorWalk(std::string root) : stack_{std::move(root)} {}

    void run(unsigned threads) {
        std::vector<std::thread> workers;
        workers.reserve(threads);
        for (unsigned i = 0; i < threads; ++i) {
            workers.emplace_back([this] { worker(); });
        }
        for (std::thread& worker : workers) {
            worker.join();
        }
    }

    std::uint64_t files() const { return files_.load(); }
    std::uint64_t folders() const { return folders_.load(); }
    std::uint64_t bytes() const { return bytes_.load(); }
    std::uint64_t allocated() const { return allocated_.load(); }
    std::uint64_t unreadable() const { return unreadable_.load(); }

  private:
    bool take(std::string& folder) {
        std::unique_lock guard(lock_);
        wake_.wait(guard, [this] { return !stack_.empty() || busy_ == 0; });
        if (stack_.empty()) {
            return false;
        }
        folder = std::move(stack_.back());
        stack_.pop_back();
        ++busy_;
        return true;
    }

    // Pushes one listed folder's subfolders at once, so the lock is taken once per folder.
    void finish(std::vector<std::string>& found) {
        bool wakeOthers = false;
        {
            std::lock_guard guard(lock_);
            --busy_;
            for (std::string& path : found) {
                stack_.push_back(std::move(path));
            }
            wakeOthers = !found.empty() || (busy_ == 0 && stack_.empty());
        }
        found.clear();
        if (wakeOthers) {
            wake_.notify_all();
        }
    }

    void worker() {
        char* buffer = static_cast<char*>(std::aligned_alloc(16, kBufferBytes));
        if (buffer == nullptr) {
            throw std::bad_alloc();
        }
        std::uint64_t files = 0, folders = 0, bytes = 0, allocated = 0, unreadable = 0;
        std::string folder;
        std::vector<std::string> found;
        while (take(folder)) {
            const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0) {
                ++unreadable;
                finish(found);
                continue;
            }
            for (;;) {
                const long got = scan::readDirectoryEntries(fd, buffer, kBufferBytes);
                if (got <= 0) {
                    unreadable += got < 0;
                    break;
                }
                scan::forEachEntryName(buffer, got, [&](const char* name) {
                    struct statx info;
                    if (::statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                                scan::kListingStatxMask, &info) != 0) {
                        return;
                    }
                    if (S_ISDIR(info.stx_mode)) {
                        ++folders;
                        std::string& path = found.emplace_back(folder);
                        path.push_back('/');
                        path.append(name);
                    } else {
                        ++files;
                        bytes += info.stx_size;
                        allocated += info.stx_blocks * 512;
                    }
                });
            }
            ::close(fd);
            finish(found);
        }
        std::free(buffer);
        files_ += files;
        folders_ += folders;
        bytes_ += bytes;
        allocated_ += allocated;
        unreadable_ += unreadable;
    }

    std::mutex lock_;
    std::condition_variable wake_;
    std::vector<std::string> stack_;
    unsigned busy_ = 0;
    std::atomic<std::uint64_t> files_{0};
    // The start folder counts, as the scanner counts its root.
    std::atomic<std::uint64_t> folders_{1};
    std::atomic<std::uint64_t> bytes_{0};
    std::atomic<std::uint64_t> allocated_{0};
    std::atomic<std::uint64_t> unreadable_{0};
};

int runFloor(unsigned threads, const std::string& root) {
    FloorWalk walk(root);
    walk.run(threads == 0 ? 1 : threads);
    // Names, not distinct files: the floor does not look for hard links.
    std::printf("floor names %llu folders %llu bytes %llu allocated %llu unreadable %llu\n",
                static_cast<unsigned long long>(walk.files()),
                static_cast<unsigned long long>(walk.folders()),
                static_cast<unsigned long long>(walk.bytes()),
                static_cast<unsigned long long>(walk.allocated()),
                static_cast<unsigned long long>(walk.unreadable()));
    return 0;
}

int runScan(int threads, const std::string& root) {
    // A benchmark must not leave its runs in the user's scan history.
    history::setDataFolderForTesting(u"");
    scan::ScanOptions options;
    options.method = 1;
    options.threads = threads;
    scan::Scanner scanner(options);
    const scan::ScanResult result = scanner.scan(scan::fileNameFromBytes(root));
    const scan::NodeStore& store = scanner.store();
    std::printf(
        "scan files %llu folders %llu bytes %llu allocated %llu unreadable %llu duplicates %llu\n",
        static_cast<unsigned long long>(result.files),
        static_cast<unsigned long long>(result.folders),
        static_cast<unsigned long long>(store.size.get(0)),
        static_cast<unsigned long long>(store.allocated.get(0)),
        static_cast<unsigned long long>(result.unreadable),
        static_cast<unsigned long long>(result.duplicateLinks));
    // Where the time and the memory went, for profiling; the script reads only the line above.
    std::fprintf(stderr,
                 "rows %llu name units %llu store bytes %llu; seconds %.3f: path %.3f open %.3f "
                 "list %.3f hand-over %.3f listers %.3f commit %.3f committer %.3f; queue peak "
                 "%llu producer waits %llu\n",
                 static_cast<unsigned long long>(store.rowCount()),
                 static_cast<unsigned long long>(store.namesUsed()),
                 static_cast<unsigned long long>(store.memoryBytes()), result.seconds,
                 result.pathSeconds, result.openSeconds, result.listSeconds, result.handOverSeconds,
                 result.workerSeconds, result.commitSeconds, result.committerSeconds,
                 static_cast<unsigned long long>(result.queuePeak),
                 static_cast<unsigned long long>(result.producerWaits));
    return result.unreadable == 0 ? 0 : 3;
}

int usage() {
    std::fputs("usage: walk_bench scan|floor --threads N PATH\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 || std::strcmp(argv[2], "--threads") != 0) {
        return usage();
    }
    char* end = nullptr;
    const long threads = std::strtol(argv[3], &end, 10);
    if (end == argv[3] || *end != '\0' || threads < 0 || threads > 64) {
        return usage();
    }
    const std::string_view mode = argv[1];
    if (mode == "floor") {
        return runFloor(static_cast<unsigned>(threads), argv[4]);
    }
    if (mode == "scan") {
        return runScan(static_cast<int>(threads), argv[4]);
    }
    return usage();
}
