#include "deleting/recycle_bin_win32.h"

#include "scan/scanner.h"
#include "scan/wide_text_win32.h"
#include "ui/registry_win32.h"

#include <shellapi.h>

#include <vector>

namespace deleting {

namespace {

constexpr const wchar_t* kPolicyKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const wchar_t* kVolumesKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket\\Volume\\";
constexpr std::int64_t kMegabyte = 1024 * 1024;

// The volume root that holds `path` (C:\, \\server\share\), or empty.
std::wstring rootOf(const std::u16string& path) {
    std::vector<wchar_t> root(path.size() + 2);
    if (!GetVolumePathNameW(scan::wide(path), root.data(), static_cast<DWORD>(root.size()))) {
        return {};
    }
    return root.data();
}

RecycleFacts::Drive driveOf(const std::wstring& root) {
    using Drive = RecycleFacts::Drive;
    switch (GetDriveTypeW(root.c_str())) {
        case DRIVE_FIXED:
            return Drive::Fixed;
        case DRIVE_REMOVABLE:
            return Drive::Removable;
        case DRIVE_REMOTE:
            return Drive::Remote;
        case DRIVE_CDROM:
            return Drive::Optical;
        case DRIVE_RAMDISK:
            return Drive::RamDisk;
        default:
            return Drive::Unknown;
    }
}

bool policySwitchesBinOff() {
    for (const HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        const ui::StoredNumber value = ui::readStoredNumber(hive, kPolicyKey, L"NoRecycleFiles");
        if (value.isDword && value.value != 0) {
            return true;
        }
    }
    return false;
}

// The bin's own settings live under the volume's GUID ("{…}" of \\?\Volume{…}\).
std::wstring volumeSettingsKey(const std::wstring& root) {
    wchar_t name[64] = {};
    if (!GetVolumeNameForVolumeMountPointW(root.c_str(), name, 64)) {
        return {};
    }
    std::wstring volume(name);
    const std::size_t open = volume.find(L'{');
    const std::size_t close = volume.find(L'}', open);
    if (open == std::wstring::npos || close == std::wstring::npos) {
        return {};
    }
    return kVolumesKey + volume.substr(open, close - open + 1);
}

bool stillThere(const std::u16string& path) {
    return GetFileAttributesW(scan::wide(scan::longPathOf(path))) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

RecycleFacts recycleFactsOf(const std::u16string& path, std::int64_t bytes) {
    RecycleFacts facts;
    facts.bytes = bytes;
    const std::wstring root = rootOf(path);
    if (root.empty()) {
        facts.drive = RecycleFacts::Drive::Unknown;
        return facts;
    }
    facts.drive = driveOf(root);
    SHQUERYRBINFO bin{};
    bin.cbSize = sizeof(bin);
    facts.binAnswers = SHQueryRecycleBinW(root.c_str(), &bin) == S_OK;
    facts.switchedOffByPolicy = policySwitchesBinOff();
    const std::wstring key = volumeSettingsKey(root);
    if (!key.empty()) {
        const ui::StoredNumber nuke =
            ui::readStoredNumber(HKEY_CURRENT_USER, key.c_str(), L"NukeOnDelete");
        facts.deletesAtOnce = nuke.isDword && nuke.value != 0;
        const ui::StoredNumber capacity =
            ui::readStoredNumber(HKEY_CURRENT_USER, key.c_str(), L"MaxCapacity");
        if (capacity.isDword) {
            facts.capacity = static_cast<std::int64_t>(capacity.value) * kMegabyte;
        }
    }
    return facts;
}

bool recycleToBin(HWND owner, const std::u16string& path, std::int64_t bytes,
                  std::u16string& reason) {
    // Checked before anything else touches the file system: a pattern must never reach the shell.
    if (holdsWildcard(path)) {
        reason = recycleRefusal(path, {});
        return false;
    }
    reason = recycleRefusal(path, recycleFactsOf(path, bytes));
    if (!reason.empty()) {
        return false;
    }
    // Doubly terminated: the shell reads a list of paths.
    std::wstring from = scan::wideString(path);
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = owner;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    // No question for an item that goes to the bin, but one for any item that would be destroyed
    // instead: without FOF_WANTNUKEWARNING the shell destroys such an item silently and reports
    // success.
    operation.fFlags =
        FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING | FOF_SILENT | FOF_NOERRORUI;
    const int result = SHFileOperationW(&operation);
    if (result != 0 || operation.fAnyOperationsAborted || stillThere(path)) {
        reason = kRefusedReason;
        return false;
    }
    return true;
}

}  // namespace deleting
