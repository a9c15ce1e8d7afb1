#include "update/running_version_win32.h"

#include "scan/wide_text_win32.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace update {

std::u16string programPath(std::size_t initialCapacity) {
    // A path in a long-path folder does not fit the classic 260 characters; a cut path would
    // name another file, so the buffer grows until the whole path and its terminator fit.
    constexpr std::size_t kLongest = 32768;
    std::wstring path(std::max<std::size_t>(initialCapacity, 1), L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            return scan::fromWide(path.data(), length);
        }
        if (path.size() >= kLongest) {
            return {};
        }
        path.resize(std::min(path.size() * 2, kLongest));
    }
}

std::u16string runningVersion() {
    const std::u16string fallback = u"0.0.0";
    const std::u16string path = programPath();
    if (path.empty()) {
        return fallback;
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(scan::wide(path), &ignored);
    if (size == 0) {
        return fallback;
    }
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(scan::wide(path), 0, size, block.data())) {
        return fallback;
    }
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) ||
        info == nullptr || infoSize < sizeof(VS_FIXEDFILEINFO)) {
        return fallback;
    }
    const std::string text = std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
                             std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
                             std::to_string(HIWORD(info->dwFileVersionLS));
    return std::u16string(text.begin(), text.end());
}

}  // namespace update
