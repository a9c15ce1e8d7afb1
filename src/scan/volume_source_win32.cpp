#include "scan/unique_handle_win32.h"
#include "scan/volume_source.h"
#include "scan/volumes.h"
#include "scan/wide_text_win32.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>

namespace scan {

namespace {

class HandleSource final : public VolumeSource {
  public:
    explicit HandleSource(HANDLE handle) : handle_(handle) {}
    bool read(std::uint64_t offset, void* buffer, std::size_t length) override {
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(offset);
        if (offset > static_cast<std::uint64_t>(INT64_MAX) ||
            !SetFilePointerEx(handle_.get(), position, nullptr, FILE_BEGIN)) {
            return false;
        }
        auto* bytes = static_cast<unsigned char*>(buffer);
        while (length > 0) {
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(length, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(handle_.get(), bytes, want, &got, nullptr) || got == 0) {
                return false;
            }
            bytes += got;
            length -= got;
        }
        return true;
    }
    const UniqueHandle& handle() const { return handle_; }

  private:
    UniqueHandle handle_;
};

HANDLE openForReading(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

// The device to open for the volume at `root`. A drive root (C:\) is its drive's device; a volume
// mounted in a folder has no drive letter of its own, and the first two characters of its root
// name the drive holding the folder, so its volume name is asked for instead.
std::wstring devicePathOf(const std::u16string& root) {
    if (root.size() == 3 && root[1] == u':' && root[2] == u'\\') {
        return L"\\\\.\\" + wideString(root.substr(0, 2));
    }
    wchar_t name[64] = {};
    if (!GetVolumeNameForVolumeMountPointW(wideString(root).c_str(), name, 64)) {
        return {};
    }
    std::wstring device = name;
    // CreateFileW opens the volume, not its root folder, without the trailing backslash.
    while (!device.empty() && device.back() == L'\\') {
        device.pop_back();
    }
    return device;
}

}  // namespace

std::unique_ptr<VolumeSource> openVolumeFile(const std::u16string& path) {
    const HANDLE handle = openForReading(wideString(path));
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    return std::make_unique<HandleSource>(handle);
}

OpenedVolume openMountedVolume(const VolumeInfo& volume) {
    OpenedVolume opened;
    const std::wstring device = devicePathOf(volume.volumeRoot);
    const HANDLE handle = device.empty() ? INVALID_HANDLE_VALUE : openForReading(device);
    if (handle == INVALID_HANDLE_VALUE) {
        opened.refusal = u"the volume could not be opened for raw reading";
        return opened;
    }
    auto source = std::make_unique<HandleSource>(handle);
    NTFS_VOLUME_DATA_BUFFER data = {};
    DWORD returned = 0;
    if (!DeviceIoControl(handle, FSCTL_GET_NTFS_VOLUME_DATA, nullptr, 0, &data, sizeof(data),
                         &returned, nullptr)) {
        opened.refusal = u"the volume did not report its master file table";
        return opened;
    }
    opened.geometry.bytesPerSector = data.BytesPerSector;
    opened.geometry.bytesPerCluster = data.BytesPerCluster;
    opened.geometry.recordSize = data.BytesPerFileRecordSegment;
    opened.geometry.mftStartCluster = static_cast<std::uint64_t>(data.MftStartLcn.QuadPart);
    opened.geometry.mftValidDataLength =
        static_cast<std::uint64_t>(data.MftValidDataLength.QuadPart);
    opened.geometry.totalClusters = static_cast<std::uint64_t>(data.TotalClusters.QuadPart);
    opened.source = std::move(source);
    return opened;
}

}  // namespace scan
