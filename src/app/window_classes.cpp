#include "app/window_classes.h"

#include <cstdint>
#include <string>
#include <unordered_set>

namespace app {

namespace {

// 64-bit FNV-1a over the name's UTF-16 bytes: short names, few of them, no need for more.
struct NameHash {
    std::size_t operator()(const std::wstring& name) const {
        std::uint64_t hash = 0xCBF29CE484222325ULL;
        for (const wchar_t unit : name) {
            for (int shift = 0; shift < 16; shift += 8) {
                hash ^= (static_cast<std::uint64_t>(unit) >> shift) & 0xFF;
                hash *= 0x100000001B3ULL;
            }
        }
        return static_cast<std::size_t>(hash);
    }
};

}  // namespace

void registerWindowClass(const wchar_t* name, WNDPROC procedure, HCURSOR cursor) {
    static std::unordered_set<std::wstring, NameHash> registered;
    if (!registered.insert(name).second) {
        return;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = cursor != nullptr ? cursor : LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
}

}  // namespace app
