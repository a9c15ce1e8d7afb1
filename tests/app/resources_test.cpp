// The resources of the built rozovizov.exe, read from the file as a data module.

#include "app/commands.h"

#include "window_harness.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace app {
namespace {

class ProgramResources : public ::testing::Test {
  protected:
    void SetUp() override {
        module_ = LoadLibraryExW(harness::programPath(ROZOVIZOV_PROGRAM).c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }

    // The raw bytes of one resource, empty when it is missing.
    std::vector<BYTE> resource(const wchar_t* type, int id) const {
        const HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(id), type);
        if (found == nullptr) {
            return {};
        }
        const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
        return std::vector<BYTE>(data, data + SizeofResource(module_, found));
    }

    HMODULE module_ = nullptr;
};

#pragma pack(push, 2)
struct IconDirectoryEntry {
    BYTE width;
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bitsPerPixel;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST_F(ProgramResources, TheIconComesInEverySizeWindowsAsksFor) {
    const std::vector<BYTE> group = resource(RT_GROUP_ICON, kIconResource);
    ASSERT_GE(group.size(), 6u);
    const WORD count = static_cast<WORD>(group[4] | (group[5] << 8));
    ASSERT_EQ(group.size(), 6u + count * sizeof(IconDirectoryEntry));
    std::set<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        IconDirectoryEntry entry{};
        std::memcpy(&entry, group.data() + 6 + i * sizeof(entry), sizeof(entry));
        EXPECT_EQ(entry.bitsPerPixel, 32);
        EXPECT_EQ(resource(RT_ICON, entry.id).size(), entry.bytes) << "image " << entry.id;
        sizes.insert(entry.width == 0 ? 256 : entry.width);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 20, 24, 32, 40, 48, 64, 256}));
    for (const int side : {16, 32, 48, 256}) {
        SCOPED_TRACE(side);
        const auto icon = static_cast<HICON>(
            LoadImageW(module_, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, side, side, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_NE(GetIconInfo(icon, &info), 0);
        BITMAP bitmap{};
        GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, side);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST_F(ProgramResources, TwelveAcceleratorsSendTheirCommands) {
    // An accelerator resource is a row of 8-byte entries; the last one's flags carry 0x80.
    const std::vector<BYTE> table = resource(RT_ACCELERATOR, kAcceleratorResource);
    struct Entry {
        WORD flags;
        WORD key;
        WORD command;
    };
    std::vector<Entry> entries;
    for (std::size_t at = 0; at + 8 <= table.size(); at += 8) {
        const auto word = [&](std::size_t offset) {
            return static_cast<WORD>(table[at + offset] | (table[at + offset + 1] << 8));
        };
        entries.push_back({word(0), word(2), word(4)});
    }
    ASSERT_EQ(entries.size(), 12u);
    EXPECT_NE(entries.back().flags & 0x80, 0) << "the table ends after the twelfth";
    const WORD control = FVIRTKEY | FCONTROL;
    const Entry expected[] = {
        {control, 'O', CommandOpen},
        {control, 'R', CommandRefreshEverything},
        {control, 'C', CommandCopyPath},
        {control, VK_OEM_COMMA, CommandSettings},
        {FVIRTKEY, VK_ESCAPE, CommandStopScanning},
        {FVIRTKEY, VK_DELETE, CommandMoveToRecycleBin},
        {control, VK_OEM_PLUS, CommandZoomIn},
        {control, VK_OEM_MINUS, CommandZoomOut},
        {FVIRTKEY, VK_BACK, CommandZoomOut},
        {control | FSHIFT, VK_OEM_PLUS, CommandZoomIn},
        {control, VK_ADD, CommandZoomIn},
        {control, VK_SUBTRACT, CommandZoomOut},
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(entries[i].flags & 0x7F, expected[i].flags);
        EXPECT_EQ(entries[i].key, expected[i].key);
        EXPECT_EQ(entries[i].command, expected[i].command);
    }
}

TEST_F(ProgramResources, TheManifestDeclaresWhatTheProgramReliesOn) {
    const std::vector<BYTE> bytes = resource(RT_MANIFEST, 1);
    const std::string manifest(bytes.begin(), bytes.end());
    ASSERT_FALSE(manifest.empty());
    const char* declarations[] = {
        R"(level="asInvoker")",
        R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
        "PerMonitorV2",
        ">UTF-8</activeCodePage>",
        ">true</longPathAware>",
        R"(<supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>)",  // 8.1
        R"(<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>)",  // 10 and 11
    };
    for (const char* declaration : declarations) {
        EXPECT_NE(manifest.find(declaration), std::string::npos) << declaration;
    }
}

TEST_F(ProgramResources, TheVersionIsTheProjects) {
    const std::wstring path = harness::programPath(ROZOVIZOV_PROGRAM);
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_NE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()), 0);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_NE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length), 0);
    const std::string version = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(version, ROZOVIZOV_VERSION);
    const wchar_t* name = nullptr;
    ASSERT_NE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\ProductName",
                             reinterpret_cast<void**>(const_cast<wchar_t**>(&name)), &length),
              0);
    EXPECT_EQ(std::wstring(name), L"Rozovizov");
}

}  // namespace
}  // namespace app
