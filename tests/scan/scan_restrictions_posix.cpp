#include "scan_restrictions.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace scan::testing {

struct LockedFolders::Platform {};

LockedFolders::LockedFolders() : platform_(std::make_unique<Platform>()) {}
LockedFolders::~LockedFolders() = default;

bool LockedFolders::lock(const std::filesystem::path& folder) {
    return ::chmod(folder.c_str(), 0) == 0;
}

void LockedFolders::unlock(const std::filesystem::path& folder) {
    ::chmod(folder.c_str(), 0755);
}

bool LockedFolders::available(const std::filesystem::path& probeFolder, std::string& why) {
    if (!lock(probeFolder)) {
        why = std::string("chmod failed: ") + std::strerror(errno);
        return false;
    }
    bool denied = false;
    {
        const ScanningAsOrdinaryUser lowered;
        const int probe = ::open(probeFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        denied = probe < 0 && errno == EACCES;
        if (probe >= 0) {
            ::close(probe);
        }
    }
    unlock(probeFolder);
    if (!denied) {
        why = "a folder without permissions could still be opened (the process overrides them)";
    }
    return denied;
}

// Root reads any folder whatever its permissions; without these two capabilities in its effective
// set it is held to them like any owner. The permitted set keeps them, so they come back after.
struct ScanningAsOrdinaryUser::Saved {
    __user_cap_header_struct header{};
    __user_cap_data_struct data[2]{};
    bool changed = false;
};

ScanningAsOrdinaryUser::ScanningAsOrdinaryUser() : saved_(std::make_unique<Saved>()) {
    saved_->header.version = _LINUX_CAPABILITY_VERSION_3;
    if (syscall(SYS_capget, &saved_->header, saved_->data) != 0) {
        return;
    }
    __user_cap_data_struct lowered[2] = {saved_->data[0], saved_->data[1]};
    lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    saved_->changed = syscall(SYS_capset, &saved_->header, lowered) == 0;
}

ScanningAsOrdinaryUser::~ScanningAsOrdinaryUser() {
    if (saved_->changed) {
        syscall(SYS_capset, &saved_->header, saved_->data);
    }
}

bool makeSymbolicLink(const std::filesystem::path& target, const std::filesystem::path& link,
                      std::string& why) {
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        why = std::string("symlink failed: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool creationTimesMove(std::string& /*why*/) {
    return false;
}

bool mountOtherDevice(const std::filesystem::path& folder, std::string& why) {
    if (::mount("rozovizov-test", folder.c_str(), "tmpfs", 0, "size=1m,mode=0755") != 0) {
        why = std::string("mounting a tmpfs failed: ") + std::strerror(errno);
        return false;
    }
    return true;
}

void unmountOtherDevice(const std::filesystem::path& folder) {
    ::umount2(folder.c_str(), MNT_DETACH);
}

}  // namespace scan::testing
