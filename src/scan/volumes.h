#pragma once

// Queries about the machine's volumes. Each is a plain function without state that answers
// empty, 0 or false when the platform cannot tell; none raises.

#include <cstdint>
#include <string>
#include <vector>

namespace scan {

struct VolumeInfo {
    // The root as the platform gives it, with a trailing separator (C:\, C:\Mount\Data\, /mnt/x/).
    std::u16string volumeRoot;
    std::u16string fileSystem;
    std::uint64_t totalBytes = 0;
    // Every free byte, not only those available to the user.
    std::uint64_t freeBytes = 0;
    std::uint64_t usedBytes = 0;
    std::uint32_t clusterSize = 0;
    // The file system is exactly "NTFS", case-sensitive.
    bool isNtfs = false;
};

// The root of the volume holding `path`; empty when it cannot be found.
std::u16string volumeRootOf(const std::u16string& path);
// Bytes per cluster of the volume holding `path`; 0 when unknown.
std::uint32_t clusterSizeOf(const std::u16string& path);
// Fills `info` for the volume whose root is `volumeRoot`; false when its facts cannot be read.
bool readVolumeInfo(const std::u16string& volumeRoot, VolumeInfo& info);
bool volumeInfoOf(const std::u16string& path, VolumeInfo& info);
// Whether `path` names the root of its volume (C:\, a mount point), ignoring case and trailing
// separators.
bool isWholeVolume(const std::u16string& path);
// The same for a path whose volume's facts are already known.
bool isRootOf(const VolumeInfo& volume, const std::u16string& path);
bool isElevated();
// The drives a user would pick from: the system volume first, then other fixed drives, then
// removable and network drives, each group largest first.
std::vector<VolumeInfo> listDrives();

// The separator between names in paths of this platform.
char16_t pathSeparator();

// Removes trailing "\" and "/" while the text is at least `keep` + 1 units long.
std::u16string withoutTrailingSeparators(std::u16string path, std::size_t keep);
// Ordinal comparison ignoring case (A-Z and a-z everywhere; all of Unicode on Windows).
bool equalIgnoringCase(std::u16string_view a, std::u16string_view b);
// Whether two paths are spelled as the same place by the platform's rules: ignoring case on
// Windows, exactly elsewhere.
bool samePathText(std::u16string_view a, std::u16string_view b);

// A drive with its place in the list: 0 the system volume, 1 another fixed drive, 2 removable
// or network.
struct RankedDrive {
    int rank = 0;
    VolumeInfo info;
};
// The drives in list order: by rank, then largest first, equal ones as they came.
std::vector<VolumeInfo> orderDrives(std::vector<RankedDrive> drives);

}  // namespace scan
