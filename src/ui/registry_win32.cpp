#include "ui/registry_win32.h"

namespace ui {

StoredNumber readStoredNumber(HKEY root, const wchar_t* subKey, const wchar_t* name) {
    UniqueKey key;
    if (RegOpenKeyExW(root, subKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return {};
    }
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD size = sizeof(data);
    const LSTATUS status =
        RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(data)) {
        return {};
    }
    return {true, data};
}

}  // namespace ui
