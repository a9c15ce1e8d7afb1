#pragma once

// The program's eleven on/off options, kept as 32-bit numbers under one key of the current
// user's registry and read again on every use, so a change is seen everywhere at once. Every
// change goes through one writer, which then tells every listener.
//
// User-interface thread only: the listener list is not locked.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace settings {

enum class Setting : int {
    ShowPhysicalFileSize,
    SplitHorizontally,
    SmallFontFiles,
    SmallFontKinds,
    ConsistentKindColours,
    OfferElevation,
    CheckForUpdates,
    AnimatedZooming,
    ShowFreeSpace,
    ShowOtherSpace,
    ShowFileKindStatistics,
};

struct SettingDefinition {
    Setting setting;
    const char16_t* name;  // the registry value's name
    bool fallback;         // what a missing or unreadable value means
    int id;                // how the settings window addresses it; 0 for none
};

// In the order of Setting.
inline constexpr std::array<SettingDefinition, 11> kSettingDefinitions{{
    {Setting::ShowPhysicalFileSize, u"ShowPhysicalFileSize", true, 1},
    {Setting::SplitHorizontally, u"SplitHorizontally", false, 2},
    {Setting::SmallFontFiles, u"SmallFontFiles", false, 3},
    {Setting::SmallFontKinds, u"SmallFontKinds", false, 4},
    {Setting::ConsistentKindColours, u"ConsistentKindColours", true, 5},
    {Setting::OfferElevation, u"OfferElevation", true, 6},
    {Setting::CheckForUpdates, u"CheckForUpdates", true, 7},
    {Setting::AnimatedZooming, u"AnimatedZooming", true, 8},
    {Setting::ShowFreeSpace, u"ShowFreeSpace", false, 9},
    {Setting::ShowOtherSpace, u"ShowOtherSpace", false, 10},
    {Setting::ShowFileKindStatistics, u"ShowFileKindStatistics", true, 0},
}};

constexpr const SettingDefinition& definitionOf(Setting setting) {
    return kSettingDefinitions[static_cast<std::size_t>(setting)];
}

// The setting the settings window shows as `id` (1 to 10); none for any other id.
constexpr std::optional<Setting> settingWithId(int id) {
    for (const SettingDefinition& definition : kSettingDefinitions) {
        if (definition.id != 0 && definition.id == id) {
            return definition.setting;
        }
    }
    return std::nullopt;
}

class SettingsStore {
  public:
    static constexpr const char16_t* kProgramKey = u"Software\\Rozovizov";

    // A store under HKEY_CURRENT_USER\`key`. The program has one, settingsStore(); tests make
    // their own under a key of their own.
    explicit SettingsStore(std::u16string key = kProgramKey);
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The value `name` when it is a 32-bit number (any number but 0 is on), else `fallback`:
    // a missing key or value, another type and an unreadable registry all give the fallback.
    bool readSetting(const char16_t* name, bool fallback) const;
    // Stores 0 or 1, creating the key when needed, then calls every listener in order, also
    // when the value did not change or the registry refused the write.
    void writeSetting(const char16_t* name, bool value);
    // Deletes the key, which brings every option back to its fallback, then calls every
    // listener.
    void resetSettings();
    // Listeners are called in the order they were added and never removed.
    void addSettingsListener(std::function<void()> listener);
    // The setting the settings window shows as `id` (1 to 10); any other id gives false.
    bool settingById(int id) const;

    bool read(Setting setting) const {
        return readSetting(definitionOf(setting).name, definitionOf(setting).fallback);
    }
    void write(Setting setting, bool value) { writeSetting(definitionOf(setting).name, value); }

    bool showPhysicalFileSize() const { return read(Setting::ShowPhysicalFileSize); }
    bool splitHorizontally() const { return read(Setting::SplitHorizontally); }
    bool smallFontFiles() const { return read(Setting::SmallFontFiles); }
    bool smallFontKinds() const { return read(Setting::SmallFontKinds); }
    bool consistentKindColours() const { return read(Setting::ConsistentKindColours); }
    bool offerElevation() const { return read(Setting::OfferElevation); }
    bool checkForUpdates() const { return read(Setting::CheckForUpdates); }
    bool animatedZooming() const { return read(Setting::AnimatedZooming); }
    bool showFreeSpace() const { return read(Setting::ShowFreeSpace); }
    bool showOtherSpace() const { return read(Setting::ShowOtherSpace); }
    bool showFileKindStatistics() const { return read(Setting::ShowFileKindStatistics); }

    void setShowPhysicalFileSize(bool on) { write(Setting::ShowPhysicalFileSize, on); }
    void setSplitHorizontally(bool on) { write(Setting::SplitHorizontally, on); }
    void setSmallFontFiles(bool on) { write(Setting::SmallFontFiles, on); }
    void setSmallFontKinds(bool on) { write(Setting::SmallFontKinds, on); }
    void setConsistentKindColours(bool on) { write(Setting::ConsistentKindColours, on); }
    void setOfferElevation(bool on) { write(Setting::OfferElevation, on); }
    void setCheckForUpdates(bool on) { write(Setting::CheckForUpdates, on); }
    void setAnimatedZooming(bool on) { write(Setting::AnimatedZooming, on); }
    void setShowFreeSpace(bool on) { write(Setting::ShowFreeSpace, on); }
    void setShowOtherSpace(bool on) { write(Setting::ShowOtherSpace, on); }
    void setShowFileKindStatistics(bool on) { write(Setting::ShowFileKindStatistics, on); }

    const std::u16string& key() const { return key_; }

  private:
    void notifyListeners();

    std::u16string key_;
    std::vector<std::function<void()>> listeners_;
};

// The program's store under HKEY_CURRENT_USER\Software\Rozovizov, made on first use.
SettingsStore& settingsStore();

}  // namespace settings
