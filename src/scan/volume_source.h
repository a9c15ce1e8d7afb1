#pragma once

// Where the bytes of a volume come from: a raw volume, a block device or an image file. The
// reader of the master file table sees only this interface and the volume's geometry, so the
// same parsing runs on a live volume and on an image in a test.

#include "scan/volume_geometry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace scan {

struct VolumeInfo;

class VolumeSource {
  public:
    virtual ~VolumeSource() = default;
    // Reads exactly `length` bytes at byte `offset` of the volume; false when the read fails or
    // comes up short.
    virtual bool read(std::uint64_t offset, void* buffer, std::size_t length) = 0;
};

// Opens a device or image file for reading; null when it cannot be opened.
std::unique_ptr<VolumeSource> openVolumeFile(const std::u16string& path);

// Reads the boot sector through `source`; false when it is unreadable or not a usable NTFS boot
// sector.
bool readBootGeometry(VolumeSource& source, VolumeGeometry& geometry);

// What opening a mounted volume for raw reading gave: the source and its geometry, or the reason
// it could not be opened, in the words told to the user.
struct OpenedVolume {
    std::unique_ptr<VolumeSource> source;
    VolumeGeometry geometry;
    std::u16string refusal;
};

// Opens the volume mounted at `volume.volumeRoot` for raw reading and learns its geometry. On
// Windows this is the drive's device and the file system's own account of the table; elsewhere
// the device or image file the mount table names, and its boot sector.
OpenedVolume openMountedVolume(const VolumeInfo& volume);

}  // namespace scan
