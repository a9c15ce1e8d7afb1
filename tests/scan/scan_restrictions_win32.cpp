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

bool makeSymbolicLink(const std::filesystem::path& target, const std::filesystem::path& link,
                      std::string& why) {
    if (!CreateSymbolicLinkW(link.c_str(), target.c_str(),
                             SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)) {
        why = "CreateSymbolicLinkW failed with error " + std::to_string(GetLastError());
        return false;
    }
    return true;
}

bool creationTimesMove(std::string& why) {
    // Wine answers with the time the file's status last changed where the host keeps no birth
    // time, so adding a name to a file or an entry to a folder moves it.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) {
        return false;
    }
    why = "Wine reports the time of the last status change as the creation time";
    return true;
}

bool mountOtherDevice(const std::filesystem::path& /*folder*/, std::string& why) {
    why = "a test cannot mount another device on this platform";
    return false;
}

void unmountOtherDevice(const std::filesystem::path& /*folder*/) {}

}  // namespace scan::testing
