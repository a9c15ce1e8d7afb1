#include "scan/mount_table.h"
#include "scan/unique_fd_posix.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace scan {

namespace {

// Mount points in mountinfo escape space, tab, newline and backslash as \ooo.
std::string unescape(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '3') {
            out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                            (field[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

bool isPrefixPath(const std::string& mountPoint, const std::string& path) {
    if (mountPoint == "/") {
        return !path.empty() && path[0] == '/';
    }
    return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

}  // namespace

std::vector<MountEntry> readMountTable() {
    std::vector<MountEntry> mounts;
    std::ifstream table("/proc/self/mountinfo");
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string id, parentId, device, root, mountPoint, field;
        fields >> id >> parentId >> device >> root >> mountPoint;
        // Optional fields run up to a lone "-".
        while (fields >> field && field != "-") {
        }
        MountEntry entry;
        fields >> entry.fileSystem >> entry.source;
        if (mountPoint.empty() || entry.fileSystem.empty()) {
            continue;
        }
        entry.mountPoint = unescape(mountPoint);
        entry.source = unescape(entry.source);
        mounts.push_back(std::move(entry));
    }
    return mounts;
}

bool findMountOf(const std::string& path, MountEntry& mount) {
    bool found = false;
    // Later lines mount over earlier ones at the same point, so ties go to the later one.
    for (MountEntry& entry : readMountTable()) {
        if (isPrefixPath(entry.mountPoint, path) &&
            (!found || entry.mountPoint.size() >= mount.mountPoint.size())) {
            mount = std::move(entry);
            found = true;
        }
    }
    return found;
}

bool isNtfsMount(const MountEntry& mount) {
    if (mount.fileSystem == "ntfs" || mount.fileSystem == "ntfs3") {
        return true;
    }
    if (mount.fileSystem.rfind("fuse", 0) != 0 || mount.source.empty() || mount.source[0] != '/') {
        return false;
    }
    const UniqueFd device(::open(mount.source.c_str(), O_RDONLY | O_CLOEXEC));
    char oem[8] = {};
    const bool read = device.valid() &&
                      ::pread(device.get(), oem, sizeof oem, 3) == static_cast<ssize_t>(sizeof oem);
    return read && std::memcmp(oem, "NTFS    ", 8) == 0;
}

}  // namespace scan
