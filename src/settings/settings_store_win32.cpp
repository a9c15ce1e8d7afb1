#include "settings/settings_store.h"

#include "ui/registry_win32.h"

#include <windows.h>

#include <utility>

namespace settings {

namespace {

const wchar_t* wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

}  // namespace

SettingsStore::SettingsStore(std::u16string key) : key_(std::move(key)) {}

bool SettingsStore::readSetting(const char16_t* name, bool fallback) const {
    const ui::StoredNumber stored =
        ui::readStoredNumber(HKEY_CURRENT_USER, wide(key_.c_str()), wide(name));
    return stored.isDword ? stored.value != 0 : fallback;
}

void SettingsStore::writeSetting(const char16_t* name, bool value) {
    ui::UniqueKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, wide(key_.c_str()), 0, nullptr, 0, KEY_WRITE, nullptr,
                        key.put(), nullptr) == ERROR_SUCCESS) {
        const DWORD number = value ? 1 : 0;
        RegSetValueExW(key.get(), wide(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                       sizeof(number));
    }
    notifyListeners();
}

void SettingsStore::resetSettings() {
    RegDeleteKeyW(HKEY_CURRENT_USER, wide(key_.c_str()));
    notifyListeners();
}

void SettingsStore::addSettingsListener(std::function<void()> listener) {
    listeners_.push_back(std::move(listener));
}

bool SettingsStore::settingById(int id) const {
    const std::optional<Setting> setting = settingWithId(id);
    return setting.has_value() && read(*setting);
}

void SettingsStore::notifyListeners() {
    // By index and by copy: a listener may add another, which may move the list.
    for (std::size_t i = 0; i < listeners_.size(); ++i) {
        const std::function<void()> listener = listeners_[i];
        listener();
    }
}

SettingsStore& settingsStore() {
    static SettingsStore store;
    return store;
}

}  // namespace settings
