#include <windows.h>

#include "scan_restrictions.h"

namespace scan::testing {

// A folder held open without sharing cannot be opened for listing by anyone else, as when
// another program has it locked.
struct LockedFolders::Platform {
    std::map<std::filesystem::path, HANDLE> held;
};

LockedFolders::LockedFolders() : platform_(std::make_unique<Platform>()) {}

LockedFolders::~LockedFolders() {
    for (const auto& [folder, handle] : platform_->held) {
        CloseHandle(handle);
    }
}

bool LockedFolders::lock(const std::filesystem::path& folder) {
    if (platform_->held.count(folder) != 0) {
        return true;
    }
    const HANDLE handle = CreateFileW(folder.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    platform_->held.emplace(folder, handle);
    return true;
}

void LockedFolders::unlock(const std::filesystem::path& folder) {
    const auto found = platform_->held.find(folder);
    if (found != platform_->held.end()) {
        CloseHandle(found->second);
        platform_->held.erase(found);
    }
}

bool LockedFolders::available(const std::filesystem::path& probeFolder, std::string& why) {
    if (!lock(probeFolder)) {
        why = "the folder could not be held open without sharing";
        return false;
    }
    const HANDLE probe = CreateFileW(probeFolder.c_str(), FILE_LIST_DIRECTORY,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const bool denied = probe == INVALID_HANDLE_VALUE;
    if (!denied) {
        CloseHandle(probe);
        why = "a folder held open without sharing could still be opened for listing";
    }
    unlock(probeFolder);
    return denied;
}

struct ScanningAsOrdinaryUser::Saved {};

ScanningAsOrdinaryUser::ScanningAsOrdinaryUser() = default;
ScanningAsOrdinaryUser::~ScanningAsOrdinaryUser() = default;

bool mountOtherDevice(const std::filesystem::path& /*folder*/, std::string& why) {
    why = "a test cannot mount another device on this platform";
    return false;
}

void unmountOtherDevice(const std::filesystem::path& /*folder*/) {}

}  // namespace scan::testing
