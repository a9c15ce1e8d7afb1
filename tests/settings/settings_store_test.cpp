// The options against the real registry, each test under a key of its own.

#include "settings/settings_store.h"

#include "window_harness.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace settings {
namespace {

class SettingsStoreTest : public ::testing::Test {
  protected:
    harness::TestRegistryKey key_;
    SettingsStore store_{key_.path16()};

    void store(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key_.path().c_str(), 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
    DWORD valueCount() const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, key_.path().c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS) {
            return 0;
        }
        DWORD values = 0;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr);
        RegCloseKey(key);
        return values;
    }
    bool storedDword(const wchar_t* name, DWORD& value) const {
        DWORD size = sizeof(value);
        return RegGetValueW(HKEY_CURRENT_USER, key_.path().c_str(), name, RRF_RT_REG_DWORD, nullptr,
                            &value, &size) == ERROR_SUCCESS;
    }

    // Every named reader, in the order of Setting.
    std::vector<bool> everyReader() const {
        return {
            store_.showPhysicalFileSize(), store_.splitHorizontally(),     store_.smallFontFiles(),
            store_.smallFontKinds(),       store_.consistentKindColours(), store_.offerElevation(),
            store_.checkForUpdates(),      store_.animatedZooming(),       store_.showFreeSpace(),
            store_.showOtherSpace(),       store_.showFileKindStatistics()};
    }
};

const std::vector<bool> kDefaults = {true, false, false, false, true, true,
                                     true, true,  false, false, true};

TEST_F(SettingsStoreTest, WithoutTheKeyEveryReaderGivesItsDefault) {
    ASSERT_FALSE(key_.exists());
    EXPECT_EQ(everyReader(), kDefaults);
    // The settings window's ids 1 to 10 in their order; ShowFileKindStatistics has none.
    for (int id = 1; id <= 10; ++id) {
        SCOPED_TRACE(id);
        EXPECT_EQ(store_.settingById(id), kDefaults[static_cast<std::size_t>(id - 1)]);
    }
    EXPECT_FALSE(store_.settingById(0));
    EXPECT_FALSE(store_.settingById(11));
    EXPECT_FALSE(key_.exists()) << "reading creates nothing";
}

TEST_F(SettingsStoreTest, TheFirstWriteCreatesTheKeyWithJustThatValue) {
    store_.setSplitHorizontally(true);
    ASSERT_TRUE(key_.exists());
    EXPECT_EQ(valueCount(), 1u);
    DWORD stored = 7;
    ASSERT_TRUE(storedDword(L"SplitHorizontally", stored));
    EXPECT_EQ(stored, 1u);
    EXPECT_TRUE(store_.splitHorizontally());
    EXPECT_TRUE(store_.settingById(2));

    store_.setShowPhysicalFileSize(false);
    ASSERT_TRUE(storedDword(L"ShowPhysicalFileSize", stored));
    EXPECT_EQ(stored, 0u);
    EXPECT_FALSE(store_.showPhysicalFileSize());
    EXPECT_FALSE(store_.settingById(1));
    EXPECT_EQ(valueCount(), 2u);
}

TEST_F(SettingsStoreTest, OnlyA32BitNumberOverridesTheDefault) {
    struct Case {
        const char* what;
        DWORD type;
        std::vector<BYTE> data;
        // For a setting that defaults to off, and for one that defaults to on.
        bool offDefaultReads;
        bool onDefaultReads;
    };
    const Case cases[] = {
        {"DWORD 5", REG_DWORD, {5, 0, 0, 0}, true, true},
        {"DWORD 0", REG_DWORD, {0, 0, 0, 0}, false, false},
        {"DWORD 0x100", REG_DWORD, {0, 1, 0, 0}, true, true},
        {"string \"1\"", REG_SZ, {'1', 0, 0, 0}, false, true},
        {"string \"0\"", REG_SZ, {'0', 0, 0, 0}, false, true},
        {"QWORD 1", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, false, true},
        {"QWORD 0", REG_QWORD, {0, 0, 0, 0, 0, 0, 0, 0}, false, true},
        {"binary 1", REG_BINARY, {1, 0, 0, 0}, false, true},
        {"big-endian DWORD 1", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 1}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store(L"ShowFreeSpace", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        store(L"AnimatedZooming", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        EXPECT_EQ(store_.showFreeSpace(), c.offDefaultReads);
        EXPECT_EQ(store_.animatedZooming(), c.onDefaultReads);
        EXPECT_EQ(store_.settingById(9), c.offDefaultReads);
        EXPECT_EQ(store_.settingById(8), c.onDefaultReads);
    }
}

TEST_F(SettingsStoreTest, EveryWriteCallsEachListenerOnceInOrder) {
    std::vector<int> calls;
    store_.addSettingsListener([&] { calls.push_back(1); });
    store_.addSettingsListener([&] {
        calls.push_back(2);
        // Listeners see the new value: they re-read the store.
        EXPECT_TRUE(store_.smallFontFiles());
    });
    store_.setSmallFontFiles(true);
    EXPECT_EQ(calls, (std::vector<int>{1, 2}));
    store_.setSmallFontFiles(true);
    EXPECT_EQ(calls, (std::vector<int>{1, 2, 1, 2})) << "also when nothing changed";
}

TEST_F(SettingsStoreTest, AWriteTheRegistryRefusesStillCallsTheListeners) {
    // Names of keys end at 255 characters; this key cannot be created.
    SettingsStore refused(key_.path16() + u"\\" + std::u16string(300, u'x'));
    int calls = 0;
    refused.addSettingsListener([&] { ++calls; });
    refused.setShowFreeSpace(true);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(refused.showFreeSpace()) << "the listener reads the default";
}

TEST_F(SettingsStoreTest, ResetBringsEveryDefaultBackAndCallsTheListenerOnce) {
    for (std::size_t i = 0; i < kSettingDefinitions.size(); ++i) {
        store_.write(kSettingDefinitions[i].setting, !kDefaults[i]);
    }
    std::vector<bool> flipped;
    for (const bool on : kDefaults) {
        flipped.push_back(!on);
    }
    ASSERT_EQ(everyReader(), flipped);
    int calls = 0;
    store_.addSettingsListener([&] { ++calls; });
    store_.resetSettings();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(key_.exists());
    EXPECT_EQ(everyReader(), kDefaults);
    store_.resetSettings();
    EXPECT_EQ(calls, 2) << "deleting a key that is gone is no error";
}

}  // namespace
}  // namespace settings
