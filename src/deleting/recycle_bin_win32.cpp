#include "deleting/recycle_bin_win32.h"

#include "scan/scanner.h"
#include "scan/wide_text_win32.h"
#include "ui/com_pointer_win32.h"
#include "ui/registry_win32.h"

#include <shellapi.h>
#include <shobjidl.h>

#include <optional>
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

std::u16string recycleRefusalOf(const std::u16string& path, std::int64_t bytes) {
    // Checked before anything else touches the file system: a pattern must never reach the shell.
    if (holdsWildcard(path)) {
        return recycleRefusal(path, {});
    }
    return recycleRefusal(path, recycleFactsOf(path, bytes));
}

namespace {

// Watches the shell's file operation: stops every delete that would not be a move into the
// Recycle Bin, and notes whether the item arrived there. Lives on the caller's stack for one
// operation, so its reference count only has to satisfy the shell.
// Interfaces of the Component Object Model have no virtual destructor: their objects go through
// Release, never through delete.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
class RecycleOnlySink final : public IFileOperationProgressSink {
  public:
    bool stoppedADestroy = false;
    bool reachedBin = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IFileOperationProgressSink)) {
            *object = static_cast<IFileOperationProgressSink*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }

    HRESULT STDMETHODCALLTYPE PreDeleteItem(DWORD flags, IShellItem*) override {
        if (mayDeleteItem(flags)) {
            return S_OK;
        }
        stoppedADestroy = true;
        return E_ABORT;
    }
    HRESULT STDMETHODCALLTYPE PostDeleteItem(DWORD, IShellItem*, HRESULT result,
                                             IShellItem* inBin) override {
        reachedBin = reachedBin || (SUCCEEDED(result) && inBin != nullptr);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE StartOperations() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FinishOperations(HRESULT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT,
                                             IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                           IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                           IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT,
                                          IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UpdateProgress(UINT, UINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResetTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PauseTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResumeTimer() override { return S_OK; }

  private:
    ULONG references_ = 1;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

// Through the shell's file operation, which lets the sink stop a delete that would destroy.
// Nothing (no attempt made) when the operation is not available or not implemented.
std::optional<ShellAttempt> recycleWithFileOperation(HWND owner, const std::u16string& path) {
    ui::ComPointer<IFileOperation> operation;
    if (FAILED(CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_IFileOperation,
                                operation.putVoid()))) {
        return std::nullopt;
    }
    ui::ComPointer<IShellItem> item;
    if (FAILED(SHCreateItemFromParsingName(scan::wide(path), nullptr, IID_IShellItem,
                                           item.putVoid()))) {
        return std::nullopt;
    }
    RecycleOnlySink sink;
    DWORD cookie = 0;
    if (FAILED(operation->SetOwnerWindow(owner)) ||
        FAILED(operation->SetOperationFlags(FOF_NO_UI | FOF_ALLOWUNDO | FOFX_RECYCLEONDELETE)) ||
        FAILED(operation->Advise(&sink, &cookie)) ||
        FAILED(operation->DeleteItem(item.get(), nullptr))) {
        return std::nullopt;
    }
    const HRESULT result = operation->PerformOperations();
    operation->Unadvise(cookie);
    if (result == E_NOTIMPL) {
        return std::nullopt;
    }
    BOOL aborted = FALSE;
    operation->GetAnyOperationsAborted(&aborted);
    ShellAttempt attempt;
    attempt.attempted = true;
    attempt.succeeded = SUCCEEDED(result) && !aborted && !sink.stoppedADestroy;
    attempt.reachedBin = sink.reachedBin;
    if (sink.stoppedADestroy) {
        attempt.reason = u"the Recycle Bin cannot take it, and it was not deleted for good";
    } else if (!attempt.succeeded) {
        attempt.reason = kRefusedReason;
    }
    return attempt;
}

// How many items the Recycle Bin of the drive of `root` holds; nothing when it does not say.
std::optional<std::int64_t> itemsInBin(const std::wstring& root) {
    SHQUERYRBINFO bin{};
    bin.cbSize = sizeof(bin);
    if (root.empty() || SHQueryRecycleBinW(root.c_str(), &bin) != S_OK) {
        return std::nullopt;
    }
    return bin.i64NumItems;
}

// Through the older call, where the file operation is missing. The shell asks the user before it
// destroys an item it cannot recycle (and is never told to answer for the user); whether the item
// arrived is judged by the bin's count.
ShellAttempt recycleWithOlderCall(HWND owner, const std::u16string& path) {
    const std::wstring root = rootOf(path);
    const std::optional<std::int64_t> before = itemsInBin(root);
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
    ShellAttempt attempt;
    attempt.attempted = true;
    attempt.succeeded = result == 0 && !operation.fAnyOperationsAborted;
    if (!attempt.succeeded) {
        attempt.reason = kRefusedReason;
    }
    const std::optional<std::int64_t> after = itemsInBin(root);
    if (before && after) {
        attempt.reachedBin = *after > *before;
    }
    return attempt;
}

}  // namespace

ShellAttempt recycleToBin(HWND owner, const std::u16string& path, std::int64_t bytes) {
    ShellAttempt attempt;
    attempt.reason = recycleRefusalOf(path, bytes);
    if (!attempt.reason.empty()) {
        return attempt;
    }
    if (std::optional<ShellAttempt> done = recycleWithFileOperation(owner, path)) {
        return *done;
    }
    return recycleWithOlderCall(owner, path);
}

}  // namespace deleting
