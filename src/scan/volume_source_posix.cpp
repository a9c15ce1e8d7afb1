#include "scan/mount_table.h"
#include "scan/text.h"
#include "scan/unique_fd_posix.h"
#include "scan/volume_source.h"
#include "scan/volumes.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <string>

namespace scan {

namespace {

class FileSource final : public VolumeSource {
  public:
    explicit FileSource(int fd) : fd_(fd) {}
    bool read(std::uint64_t offset, void* buffer, std::size_t length) override {
        auto* bytes = static_cast<unsigned char*>(buffer);
        while (length > 0) {
            if (offset > static_cast<std::uint64_t>(INT64_MAX)) {
                return false;
            }
            const ssize_t got = ::pread(fd_.get(), bytes, length, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return false;
            }
            bytes += got;
            offset += static_cast<std::uint64_t>(got);
            length -= static_cast<std::size_t>(got);
        }
        return true;
    }

  private:
    UniqueFd fd_;
};

std::string mountPointOf(const VolumeInfo& volume) {
    std::string point = fileNameToBytes(volume.volumeRoot);
    while (point.size() > 1 && point.back() == '/') {
        point.pop_back();
    }
    return point;
}

std::unique_ptr<VolumeSource> openPath(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    return std::make_unique<FileSource>(fd);
}

bool isBootSectorOfNtfs(VolumeSource& source) {
    std::array<std::uint8_t, 11> start{};
    return source.read(0, start.data(), start.size()) &&
           std::string(start.begin() + 3, start.end()) == "NTFS    ";
}

}  // namespace

std::unique_ptr<VolumeSource> openVolumeFile(const std::u16string& path) {
    return openPath(fileNameToBytes(path));
}

OpenedVolume openMountedVolume(const VolumeInfo& volume) {
    OpenedVolume opened;
    MountEntry mount;
    std::unique_ptr<VolumeSource> source;
    // Only a device or image file named by an absolute path can be read; a FUSE source such as
    // "/dev/fuse" or a network name cannot.
    if (findMountOf(mountPointOf(volume), mount) && mount.mountPoint == mountPointOf(volume) &&
        !mount.source.empty() && mount.source.front() == '/') {
        source = openPath(mount.source);
    }
    if (!source) {
        opened.refusal = u"the volume could not be opened for raw reading";
        return opened;
    }
    if (!isBootSectorOfNtfs(*source)) {
        opened.refusal = u"the volume did not report its master file table";
        return opened;
    }
    if (!readBootGeometry(*source, opened.geometry)) {
        opened.refusal = u"the volume reported an unusable geometry";
        return opened;
    }
    opened.source = std::move(source);
    return opened;
}

}  // namespace scan
