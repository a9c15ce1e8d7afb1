#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

#include "unreadable_file.h"

namespace history::test_support {

namespace {

// Root reads a file whatever its permissions; without these two capabilities in its effective
// set it is held to them like any owner. Capabilities belong to the thread, and the permitted
// set keeps them, so they can be taken back afterwards.
class WithoutPermissionOverride {
  public:
    WithoutPermissionOverride() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (syscall(SYS_capget, &header_, saved_) != 0) {
            return;
        }
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        changed_ = syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~WithoutPermissionOverride() {
        if (changed_) {
            syscall(SYS_capset, &header_, saved_);
        }
    }
    WithoutPermissionOverride(const WithoutPermissionOverride&) = delete;
    WithoutPermissionOverride& operator=(const WithoutPermissionOverride&) = delete;

  private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool changed_ = false;
};

}  // namespace

bool whileUnreadable(const std::filesystem::path& file, const std::function<void()>& action) {
    struct stat facts {};
    if (::stat(file.c_str(), &facts) != 0 || ::chmod(file.c_str(), 0) != 0) {
        return false;
    }
    bool denied = false;
    {
        const WithoutPermissionOverride lowered;
        const int probe = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        denied = probe < 0 && errno == EACCES;
        if (probe >= 0) {
            ::close(probe);
        }
        if (denied) {
            action();
        }
    }
    ::chmod(file.c_str(), facts.st_mode & 07777);
    return denied;
}

}  // namespace history::test_support
