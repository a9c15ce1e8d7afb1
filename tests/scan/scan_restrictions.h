#pragma once

// What a test needs to show a scan folders it cannot read and folders on another device, on the
// platforms where that can be arranged; each answers false, with the reason, where it cannot.

#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace scan::testing {

// Folders that scans run under ScanningAsOrdinaryUser cannot open. Locking and unlocking may be
// repeated; the test itself works in a folder only while it is unlocked.
class LockedFolders {
  public:
    LockedFolders();
    ~LockedFolders();
    LockedFolders(const LockedFolders&) = delete;
    LockedFolders& operator=(const LockedFolders&) = delete;

    // Whether locking a folder keeps scans out of it here; otherwise `why` says why not.
    bool available(const std::filesystem::path& probeFolder, std::string& why);
    // Locks `folder`; false when it does not exist or cannot be locked.
    bool lock(const std::filesystem::path& folder);
    void unlock(const std::filesystem::path& folder);

  private:
    struct Platform;
    std::unique_ptr<Platform> platform_;
};

// While alive, scans started from this thread are held to folder permissions even when the
// process could override them (POSIX root gives up that capability on this thread, and threads
// it starts inherit that). Elsewhere it does nothing.
class ScanningAsOrdinaryUser {
  public:
    ScanningAsOrdinaryUser();
    ~ScanningAsOrdinaryUser();
    ScanningAsOrdinaryUser(const ScanningAsOrdinaryUser&) = delete;
    ScanningAsOrdinaryUser& operator=(const ScanningAsOrdinaryUser&) = delete;

  private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

// Whether the creation time a scan reads can change after a file is made (when the platform
// gives the time of the last change of the file's status instead); `why` says so when it does.
bool creationTimesMove(std::string& why);

// Makes `link` a symbolic link to `target` (which need not exist); false, with the reason,
// where that cannot be done.
bool makeSymbolicLink(const std::filesystem::path& target, const std::filesystem::path& link,
                      std::string& why);

// Mounts a small file system of its own at the empty folder `folder`; false, with the reason,
// where the process may not. unmountOtherDevice takes it away again, also when still in use.
bool mountOtherDevice(const std::filesystem::path& folder, std::string& why);
void unmountOtherDevice(const std::filesystem::path& folder);

}  // namespace scan::testing
