#include <windows.h>

#include <cstddef>
#include <string>
#include <thread>

#include "scan/unique_handle_win32.h"
#include "unreadable_file.h"

namespace history::test_support {

namespace {

using scan::UniqueHandle;

bool refusesReading(const std::filesystem::path& file) {
    const HANDLE probe = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

// Tells of the files written in one folder. Making one leaves it unwritten, so a lock file
// that is only created and locked does not count; a replacement being prepared does.
class FolderWrites {
  public:
    explicit FolderWrites(const std::filesystem::path& folder)
        : folder_(CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                              nullptr)),
          arrived_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        watching_ = folder_.valid() && arrived_.valid() && ask();
    }
    ~FolderWrites() {
        if (pending_) {
            // The system writes into the buffer until the request is over.
            CancelIoEx(folder_.get(), &request_);
            DWORD bytes = 0;
            GetOverlappedResult(folder_.get(), &request_, &bytes, TRUE);
        }
    }
    FolderWrites(const FolderWrites&) = delete;
    FolderWrites& operator=(const FolderWrites&) = delete;

    // Whether changes made from now on are reported.
    bool watching() const { return watching_; }

    // Waits until a file other than `ignored` has been written in the folder, or until `stop` is
    // signalled. Once the reports fail it waits for `stop` alone: a holder that lets go too early
    // fails a correct test, while one that lets go late only misses a fault.
    void waitForWriteBesides(const std::wstring& ignored, HANDLE stop) {
        const HANDLE events[] = {stop, arrived_.get()};
        while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            DWORD bytes = 0;
            const bool read = GetOverlappedResult(folder_.get(), &request_, &bytes, FALSE) != 0;
            pending_ = false;
            if (read && writesAnotherFile(bytes, ignored)) {
                return;
            }
            if (!ask()) {
                WaitForSingleObject(stop, INFINITE);
                return;
            }
        }
    }

  private:
    bool ask() {
        ResetEvent(arrived_.get());
        request_ = OVERLAPPED{};
        request_.hEvent = arrived_.get();
        pending_ = ReadDirectoryChangesW(folder_.get(), buffer_, sizeof buffer_, FALSE,
                                         FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE,
                                         nullptr, &request_, nullptr) != 0;
        return pending_;
    }

    // An empty report means more changed than the buffer held, which names nothing.
    bool writesAnotherFile(DWORD bytes, const std::wstring& ignored) const {
        std::size_t offset = 0;
        while (bytes != 0 && offset + sizeof(FILE_NOTIFY_INFORMATION) <= bytes) {
            const auto* entry = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer_ + offset);
            const std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if (entry->Action == FILE_ACTION_MODIFIED &&
                CompareStringOrdinal(name.c_str(), static_cast<int>(name.size()), ignored.c_str(),
                                     static_cast<int>(ignored.size()), TRUE) != CSTR_EQUAL) {
                return true;
            }
            if (entry->NextEntryOffset == 0) {
                break;
            }
            offset += entry->NextEntryOffset;
        }
        return false;
    }

    UniqueHandle folder_;
    UniqueHandle arrived_;
    OVERLAPPED request_{};
    bool pending_ = false;
    bool watching_ = false;
    alignas(DWORD) std::byte buffer_[4096];
};

}  // namespace

bool whileUnreadable(const std::filesystem::path& file, const std::function<void()>& action) {
    UniqueHandle holder(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!holder.valid() || !refusesReading(file)) {
        return false;
    }
    const UniqueHandle actionEnded(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    FolderWrites writes(file.parent_path());
    if (!actionEnded.valid() || !writes.watching()) {
        return false;
    }
    std::thread release([&] {
        writes.waitForWriteBesides(file.filename().wstring(), actionEnded.get());
        holder.reset();
    });
    action();
    SetEvent(actionEnded.get());
    release.join();
    return true;
}

}  // namespace history::test_support
