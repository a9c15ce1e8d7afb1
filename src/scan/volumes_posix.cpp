// Volumes on POSIX systems: the volume holding a path is the mount holding it, its facts come
// from the mount table and statvfs, and elevation is running as root.

#include "scan/long_path_posix.h"
#include "scan/mount_table.h"
#include "scan/path_exists.h"
#include "scan/scanner.h"
#include "scan/text.h"
#include "scan/volumes.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>

namespace scan {

namespace {

std::string toBytes(const std::u16string& path) {
    return fileNameToBytes(path);
}

// Resolves "." and ".." and repeated separators without touching the file system.
std::string lexicallyNormal(const std::string& absolute) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= absolute.size()) {
        const std::size_t end = std::min(absolute.find('/', at), absolute.size());
        const std::string part = absolute.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string out;
    for (const std::string& part : parts) {
        out += "/" + part;
    }
    return out.empty() ? "/" : out;
}

}  // namespace

char16_t pathSeparator() {
    return u'/';
}

bool equalIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z')
            x = static_cast<char16_t>(x + 32);
        if (y >= u'A' && y <= u'Z')
            y = static_cast<char16_t>(y + 32);
        if (x != y) {
            return false;
        }
    }
    return true;
}

// A path is made absolute against the current folder and, when it exists, resolved through its
// symbolic links, so a root given through a link is scanned where it really lies.
bool samePathText(std::u16string_view a, std::u16string_view b) {
    return a == b;
}

std::u16string normalisePath(const std::u16string& path) {
    if (path.empty()) {
        return {};
    }
    std::string bytes = toBytes(withoutTrailingSeparators(path, 1));
    if (bytes[0] != '/') {
        std::unique_ptr<char, decltype(&std::free)> current(::getcwd(nullptr, 0), &std::free);
        if (!current) {
            return {};
        }
        bytes = std::string(current.get()) + "/" + bytes;
    }
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(bytes.c_str(), nullptr),
                                                     &std::free);
    const std::string normal = real ? std::string(real.get()) : lexicallyNormal(bytes);
    return withoutTrailingSeparators(fileNameFromBytes(normal), 1);
}

std::u16string longPathOf(const std::u16string& path) {
    return path;
}

bool pathExists(const std::u16string& path) {
    const int found = openLongPath(toBytes(path), O_PATH);
    if (found < 0) {
        return false;
    }
    ::close(found);
    return true;
}

std::u16string volumeRootOf(const std::u16string& path) {
    if (path.empty()) {
        return {};
    }
    std::u16string absolute = normalisePath(path);
    MountEntry mount;
    if (absolute.empty() || !findMountOf(toBytes(absolute), mount)) {
        return {};
    }
    std::u16string root = fileNameFromBytes(mount.mountPoint);
    if (root.empty() || root.back() != u'/') {
        root.push_back(u'/');
    }
    return root;
}

std::uint32_t clusterSizeOf(const std::u16string& path) {
    const std::u16string root = volumeRootOf(path);
    struct statvfs info {};
    if (root.empty() || ::statvfs(toBytes(root).c_str(), &info) != 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(info.f_bsize);
}

bool readVolumeInfo(const std::u16string& volumeRoot, VolumeInfo& info) {
    MountEntry mount;
    struct statvfs space {};
    const std::string root = toBytes(volumeRoot);
    if (volumeRoot.empty() ||
        !findMountOf(toBytes(withoutTrailingSeparators(volumeRoot, 1)), mount) ||
        ::statvfs(root.c_str(), &space) != 0) {
        return false;
    }
    info.volumeRoot = volumeRoot;
    info.fileSystem = isNtfsMount(mount) ? u"NTFS" : fileNameFromBytes(mount.fileSystem);
    info.isNtfs = info.fileSystem == u"NTFS";
    info.totalBytes = static_cast<std::uint64_t>(space.f_blocks) * space.f_frsize;
    info.freeBytes = static_cast<std::uint64_t>(space.f_bfree) * space.f_frsize;
    info.usedBytes = info.totalBytes - info.freeBytes;
    info.clusterSize = static_cast<std::uint32_t>(space.f_bsize);
    return true;
}

bool isElevated() {
    return ::geteuid() == 0;
}

std::vector<VolumeInfo> listDrives() {
    std::vector<RankedDrive> drives;
    std::vector<std::string> seenSources;
    for (const MountEntry& mount : readMountTable()) {
        if (mount.source.rfind("/dev/", 0) != 0 ||
            std::find(seenSources.begin(), seenSources.end(), mount.source) != seenSources.end()) {
            continue;
        }
        std::u16string root = fileNameFromBytes(mount.mountPoint);
        if (root.back() != u'/') {
            root.push_back(u'/');
        }
        VolumeInfo info;
        if (!readVolumeInfo(root, info) || info.totalBytes == 0) {
            continue;
        }
        seenSources.push_back(mount.source);
        drives.push_back({mount.mountPoint == "/" ? 0 : 1, std::move(info)});
    }
    return orderDrives(std::move(drives));
}

}  // namespace scan
