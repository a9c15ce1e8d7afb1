#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "history/scan_history.h"
#include "temporary_folder.h"

namespace history {
namespace {

// Sets or clears an environment variable for the life of the object and then puts it back.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            saved_ = old;
        }
        set(value);
    }
    ~ScopedEnvironment() { set(saved_); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    void set(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_, value->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

    const char* name_;
    std::optional<std::string> saved_;
};

struct FolderCase {
    const char* what;
    std::optional<std::string> dataHome;  // relative to the temporary folder when not absolute
    std::optional<std::string> home;
    std::string expectedFile;  // empty when no history may be written
};

TEST(DataFolder, ComesFromXdgDataHomeOrTheHomeFolder) {
    const FolderCase cases[] = {
        {"XDG_DATA_HOME, created when missing", "/xdg/data", "/home",
         "xdg/data/Rozovizov/scan-history.txt"},
        {"a relative XDG_DATA_HOME is ignored", "relative", "/home",
         "home/.local/share/Rozovizov/scan-history.txt"},
        {"HOME without XDG_DATA_HOME", std::nullopt, "/home",
         "home/.local/share/Rozovizov/scan-history.txt"},
        {"neither", std::nullopt, std::nullopt, ""},
    };
    for (const FolderCase& test : cases) {
        SCOPED_TRACE(test.what);
        const test_support::TemporaryFolder temporary;
        const std::string base = temporary.path().string();
        const auto under = [&](const std::optional<std::string>& value) {
            return value && value->front() == '/' ? std::optional(base + *value) : value;
        };
        const ScopedEnvironment dataHome("XDG_DATA_HOME", under(test.dataHome));
        const ScopedEnvironment home("HOME", under(test.home));
        setDataFolderForTesting(std::nullopt);

        recordScan(u"/data");

        if (test.expectedFile.empty()) {
            EXPECT_EQ(lastScanTime(u"/data"), 0u);
            EXPECT_TRUE(std::filesystem::is_empty(temporary.path()));
        } else {
            EXPECT_NE(lastScanTime(u"/data"), 0u);
            EXPECT_EQ(test_support::readBytes(temporary.path() / test.expectedFile).substr(10),
                      "\t/data\n");
        }
    }
}

}  // namespace
}  // namespace history
