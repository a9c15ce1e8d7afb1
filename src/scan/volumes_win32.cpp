// Volumes, drives, elevation and path forms on Windows.

#include "scan/path_exists.h"
#include "scan/scanner.h"
#include "scan/unique_handle_win32.h"
#include "scan/volumes.h"
#include "scan/wide_text_win32.h"

#include <windows.h>

#include <algorithm>

namespace scan {

char16_t pathSeparator() {
    return u'\\';
}

bool equalIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return CompareStringOrdinal(reinterpret_cast<const wchar_t*>(a.data()),
                                static_cast<int>(a.size()),
                                reinterpret_cast<const wchar_t*>(b.data()),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool samePathText(std::u16string_view a, std::u16string_view b) {
    return equalIgnoringCase(a, b);
}

std::u16string normalisePath(const std::u16string& path) {
    if (path.empty()) {
        return {};
    }
    const std::u16string trimmed = withoutTrailingSeparators(path, 3);
    const DWORD needed = GetFullPathNameW(wide(trimmed), 0, nullptr, nullptr);
    if (needed == 0) {
        return {};
    }
    std::wstring buffer(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide(trimmed), needed, buffer.data(), nullptr);
    if (length == 0 || length >= needed) {
        return {};
    }
    return withoutTrailingSeparators(fromWide(buffer.data(), length), 3);
}

std::u16string longPathOf(const std::u16string& path) {
    if (path.size() > 3 && path.compare(0, 4, u"\\\\?\\") == 0) {
        return path;
    }
    if (path.size() > 1 && path[0] == u'\\' && path[1] == u'\\') {
        return u"\\\\?\\UNC\\" + path.substr(2);
    }
    return u"\\\\?\\" + path;
}

bool pathExists(const std::u16string& path) {
    return GetFileAttributesW(wide(path)) != INVALID_FILE_ATTRIBUTES;
}

std::u16string volumeRootOf(const std::u16string& path) {
    if (path.empty()) {
        return {};
    }
    std::u16string withSeparator = path;
    if (withSeparator.back() != u'\\') {
        withSeparator.push_back(u'\\');
    }
    wchar_t root[MAX_PATH] = {};
    if (!GetVolumePathNameW(wide(withSeparator), root, MAX_PATH)) {
        return {};
    }
    return fromWide(root);
}

std::uint32_t clusterSizeOf(const std::u16string& path) {
    const std::u16string root = volumeRootOf(path);
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (root.empty() || !GetDiskFreeSpaceW(wide(root), &sectorsPerCluster, &bytesPerSector,
                                           &freeClusters, &clusters)) {
        return 0;
    }
    return sectorsPerCluster * bytesPerSector;
}

bool readVolumeInfo(const std::u16string& volumeRoot, VolumeInfo& info) {
    wchar_t volumeName[MAX_PATH] = {};
    wchar_t fileSystem[MAX_PATH] = {};
    if (!GetVolumeInformationW(wide(volumeRoot), volumeName, MAX_PATH, nullptr, nullptr, nullptr,
                               fileSystem, MAX_PATH)) {
        return false;
    }
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExW(wide(volumeRoot), &available, &total, &free)) {
        return false;
    }
    info.volumeRoot = volumeRoot;
    info.fileSystem = fromWide(fileSystem);
    info.isNtfs = info.fileSystem == u"NTFS";
    info.totalBytes = total.QuadPart;
    info.freeBytes = free.QuadPart;
    info.usedBytes = info.totalBytes - info.freeBytes;
    info.clusterSize = clusterSizeOf(volumeRoot);
    return true;
}

bool isElevated() {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) {
        return false;
    }
    TOKEN_ELEVATION elevation{};
    DWORD returned = 0;
    return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation,
                               &returned) &&
           elevation.TokenIsElevated != 0;
}

std::vector<VolumeInfo> listDrives() {
    const DWORD mask = GetLogicalDrives();
    wchar_t systemFolder[MAX_PATH] = {};
    GetSystemDirectoryW(systemFolder, MAX_PATH);
    const std::u16string systemRoot = volumeRootOf(fromWide(systemFolder));
    std::vector<RankedDrive> drives;
    for (int letter = 0; letter < 26; ++letter) {
        if ((mask & (1u << letter)) == 0) {
            continue;
        }
        const std::u16string root{static_cast<char16_t>(u'A' + letter), u':', u'\\'};
        const UINT type = GetDriveTypeW(wide(root));
        if (type != DRIVE_REMOVABLE && type != DRIVE_FIXED && type != DRIVE_REMOTE) {
            continue;
        }
        VolumeInfo info;
        if (!readVolumeInfo(root, info) || info.totalBytes == 0) {
            continue;
        }
        const int rank = root == systemRoot ? 0 : type == DRIVE_FIXED ? 1 : 2;
        drives.push_back({rank, std::move(info)});
    }
    return orderDrives(std::move(drives));
}

}  // namespace scan
