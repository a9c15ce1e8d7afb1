#include "scan/volumes.h"
#include "scan/scanner.h"

#include <algorithm>

namespace scan {

std::u16string withoutTrailingSeparators(std::u16string path, std::size_t keep) {
    while (path.size() > keep && (path.back() == u'\\' || path.back() == u'/')) {
        path.pop_back();
    }
    return path;
}

bool volumeInfoOf(const std::u16string& path, VolumeInfo& info) {
    const std::u16string root = volumeRootOf(path);
    return !root.empty() && readVolumeInfo(root, info);
}

bool isWholeVolume(const std::u16string& path) {
    VolumeInfo info;
    return volumeInfoOf(path, info) && isRootOf(info, path);
}

bool isRootOf(const VolumeInfo& volume, const std::u16string& path) {
    if (volume.volumeRoot.empty()) {
        return false;
    }
    std::u16string normal = normalisePath(path);
    if (normal.empty()) {
        normal = path;
    }
    return samePathText(withoutTrailingSeparators(volume.volumeRoot, 1),
                        withoutTrailingSeparators(normal, 1));
}

std::vector<VolumeInfo> orderDrives(std::vector<RankedDrive> drives) {
    std::stable_sort(drives.begin(), drives.end(), [](const RankedDrive& a, const RankedDrive& b) {
        if (a.rank != b.rank) {
            return a.rank < b.rank;
        }
        return a.info.totalBytes > b.info.totalBytes;
    });
    std::vector<VolumeInfo> result;
    result.reserve(drives.size());
    for (RankedDrive& drive : drives) {
        result.push_back(std::move(drive.info));
    }
    return result;
}

}  // namespace scan
