#include "history/scan_history.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "child_processes.h"
#include "history/history_format.h"
#include "temporary_folder.h"
#include "unreadable_file.h"

namespace history {
namespace {

using ::testing::ElementsAre;

// Windows file names ignore case, so the history keys fold it there; elsewhere two names that
// differ only in case are two folders.
constexpr bool kFoldsCase = std::filesystem::path::preferred_separator == L'\\';

std::uint32_t now() {
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::seconds>(
                                          std::chrono::system_clock::now().time_since_epoch())
                                          .count());
}

class ScanHistoryTest : public ::testing::Test {
  protected:
    ScanHistoryTest() : dataFolder_(temporary_.path() / "Rozovizov") {
        setDataFolderForTesting(dataFolder_.u16string());
    }
    ~ScanHistoryTest() override { setDataFolderForTesting(std::nullopt); }

    std::filesystem::path historyFile() const { return dataFolder_ / "scan-history.txt"; }
    std::filesystem::path temporaryFile() const { return dataFolder_ / "scan-history.txt.tmp"; }

    void writeHistory(std::string_view bytes) {
        std::filesystem::create_directories(dataFolder_);
        test_support::writeBytes(historyFile(), bytes);
    }
    std::string readHistory() const { return test_support::readBytes(historyFile()); }

    // Records `root` and answers the time it was given, checked against the clock around it.
    std::uint32_t recordAndReadBack(std::u16string_view root) {
        const std::uint32_t before = now();
        recordScan(root);
        const std::uint32_t after = now();
        const std::uint32_t recorded = lastScanTime(root);
        EXPECT_GE(recorded, before);
        EXPECT_LE(recorded, after);
        return recorded;
    }

    test_support::TemporaryFolder temporary_;
    std::filesystem::path dataFolder_;
};

TEST_F(ScanHistoryTest, FirstRecordingCreatesTheFolderAndOneLine) {
    EXPECT_EQ(lastScanTime(u"C:\\Data"), 0u);
    const std::uint32_t recorded = recordAndReadBack(u"C:\\Data");
    EXPECT_EQ(readHistory(),
              std::to_string(recorded) + (kFoldsCase ? "\tc:\\data\n" : "\tC:\\Data\n"));
    EXPECT_FALSE(std::filesystem::exists(temporaryFile()));
    EXPECT_EQ(lastScanTime(u"c:\\DATA"), kFoldsCase ? recorded : 0u);
}

TEST_F(ScanHistoryTest, APathThatALineCannotHoldIsNotRecorded) {
    const std::u16string paths[] = {
        u"/srv/a\nb",    u"/srv/a\rb",   u"/srv/\x1b[2Jx", u"/srv/a\tb",    u"/srv/a\x7f",
        u"/srv/a\u0085", u"/srv/\xdce9", u"/srv/\xd83d",   u"/srv/\xde00x",
    };
    for (std::size_t i = 0; i < std::size(paths); ++i) {
        SCOPED_TRACE(i);
        const std::u16string& path = paths[i];
        EXPECT_FALSE(isRecordable(path));
        recordScan(path);
        EXPECT_FALSE(std::filesystem::exists(historyFile()));
    }
    EXPECT_TRUE(isRecordable(u"/srv/gr\u00f6\u00dfe/\U0001F600 x"));
    recordAndReadBack(u"/srv/gr\u00f6\u00dfe/\U0001F600 x");
}

struct LookupCase {
    const char* what;
    std::string file;
    std::u16string root;
    std::uint32_t expected;
};

TEST_F(ScanHistoryTest, LoadingReadsTheLinesThatAreWellFormed) {
    const std::string malformed = "0\tc:\\zero\nno tab\n\n\r\n30\tc:\\kept\n5\t\n";
    const LookupCase cases[] = {
        {"CRLF line ends", "10\tc:\\a\r\n20\tc:\\b\r\n", u"c:\\b", 20},
        {"text after the last LF", "10\tc:\\a\n20\tc:\\last", u"c:\\last", 20},
        {"malformed lines around a good one", malformed, u"c:\\kept", 30},
        {"a zero value is dropped", malformed, u"c:\\zero", 0},
        {"the last of two lines counts", "1\tc:\\a\n2\tc:\\b\n3\tc:\\a\n", u"c:\\a", 3},
        {"A-Z fold on Windows", "40\tc:\\data\n", u"C:\\DATA", kFoldsCase ? 40u : 0u},
        {"a trailing backslash is another key", "40\tc:\\data\n", u"C:\\Data\\", 0},
        {"non-ASCII capitals stay", "41\tc:\\\xc3\x84\n", u"C:\\\u00c4", kFoldsCase ? 41u : 0u},
        {"non-ASCII capitals are not folded", "41\tc:\\\xc3\x84\n", u"c:\\\u00e4", 0},
        {"keys of the file are not folded", "42\tC:\\Upper\n", u"C:\\Upper", kFoldsCase ? 0u : 42u},
        {"further TABs belong to the key", "43\tc:\\a\tb\n", u"c:\\a\tb", 43},
        {"invalid UTF-8 becomes U+FFFD", "44\tc:\\\xff\n", u"c:\\\ufffd", 44},
        {"white space and a plus sign", " \v+45\tc:\\n\n", u"c:\\n", 45},
        {"digits up to the first other character", "46abc\tc:\\n\n", u"c:\\n", 46},
        {"the largest value", "4294967295\tc:\\n\n", u"c:\\n", 4294967295u},
        {"larger values saturate", "99999999999999999999\tc:\\n\n", u"c:\\n", 4294967295u},
        {"a negative value is dropped", "-7\tc:\\n\n", u"c:\\n", 0},
        {"no digits", "x7\tc:\\n\n", u"c:\\n", 0},
    };
    for (const LookupCase& test : cases) {
        SCOPED_TRACE(test.what);
        writeHistory(test.file);
        EXPECT_EQ(lastScanTime(test.root), test.expected);
    }
}

TEST_F(ScanHistoryTest, RecordingRewritesTheWholeFileSortedWithEachKeyOnce) {
    writeHistory(
        "3\tc:\\b\r\n"
        "9\t\xf0\x9f\x98\x80\r\n"  // U+1F600: surrogates sort below U+E000 in UTF-16
        "1\tc:\\b\\\r\n"
        "7\t\xee\x80\x80\r\n"  // U+E000
        "not a line\r\n"
        "2\tc:\\a\r\n"
        "4\tc:\\b\r\n");
    test_support::writeBytes(temporaryFile(), "left behind by a crash");

    const std::uint32_t recorded = recordAndReadBack(u"c:\\new");

    EXPECT_EQ(readHistory(),
              "2\tc:\\a\n"
              "4\tc:\\b\n"
              "1\tc:\\b\\\n" +
                  std::to_string(recorded) +
                  "\tc:\\new\n"
                  "9\t\xf0\x9f\x98\x80\n"
                  "7\t\xee\x80\x80\n");
    EXPECT_FALSE(std::filesystem::exists(temporaryFile()));
}

TEST_F(ScanHistoryTest, OnlyFilesBelowEightMebibytesAreRead) {
    const std::string line = "123\tc:\\big\n";
    struct SizeCase {
        std::size_t bytes;
        std::uint32_t expected;
    };
    for (const SizeCase test : {SizeCase{8'388'607, 123}, SizeCase{8'388'608, 0}}) {
        SCOPED_TRACE(test.bytes);
        const std::string filler(test.bytes - line.size() - 1, 'x');
        writeHistory(line + filler + "\n");
        ASSERT_EQ(std::filesystem::file_size(historyFile()), test.bytes);
        EXPECT_EQ(lastScanTime(u"c:\\big"), test.expected);
    }
}

TEST_F(ScanHistoryTest, AnEmptyOrOversizedFileIsReplacedByTheNewEntry) {
    for (const std::size_t bytes : {std::size_t{0}, std::size_t{8'388'608}}) {
        SCOPED_TRACE(bytes);
        writeHistory(std::string(bytes, '\n'));
        const std::uint32_t recorded = recordAndReadBack(u"c:\\new");
        EXPECT_EQ(readHistory(), std::to_string(recorded) + "\tc:\\new\n");
    }
}

TEST_F(ScanHistoryTest, AnUnreadableFileIsLeftIntactByARecording) {
    const std::string original = "100\tc:\\a\n200\tc:\\b\n";
    writeHistory(original);

    const bool unreadable = test_support::whileUnreadable(historyFile(), [&] {
        EXPECT_EQ(lastScanTime(u"c:\\a"), 0u);
        recordScan(u"c:\\new");
    });

    ASSERT_TRUE(unreadable) << "the test could not make the history file unreadable";
    EXPECT_EQ(readHistory(), original);
    EXPECT_FALSE(std::filesystem::exists(temporaryFile()));
    const std::uint32_t recorded = recordAndReadBack(u"c:\\new");
    EXPECT_EQ(readHistory(), original + std::to_string(recorded) + "\tc:\\new\n");
}

TEST_F(ScanHistoryTest, AFailedSaveLeavesTheHistoryAsItWas) {
    const std::string original = "100\tc:\\a\n";
    writeHistory(original);
    std::filesystem::create_directory(temporaryFile());

    recordScan(u"C:\\New");

    EXPECT_EQ(readHistory(), original);
    EXPECT_EQ(lastScanTime(u"C:\\New"), 0u);
}

TEST_F(ScanHistoryTest, WithoutADataFolderNothingIsReadOrWritten) {
    const std::filesystem::path notAFolder = temporary_.path() / "file";
    test_support::writeBytes(notAFolder, "100\tc:\\a\n");
    const std::u16string folders[] = {u"", (notAFolder / "Rozovizov").u16string()};
    for (const std::u16string& folder : folders) {
        setDataFolderForTesting(folder);
        recordScan(u"C:\\a");
        EXPECT_EQ(lastScanTime(u"C:\\a"), 0u);
    }
    std::vector<std::filesystem::path> left;
    for (const auto& entry : std::filesystem::directory_iterator(temporary_.path())) {
        left.push_back(entry.path());
    }
    EXPECT_THAT(left, ElementsAre(notAFolder));
    EXPECT_EQ(test_support::readBytes(notAFolder), "100\tc:\\a\n");
}

TEST_F(ScanHistoryTest, TwoProcessesRecordingAtOnceLoseNoRoot) {
    std::filesystem::create_directories(dataFolder_);
    constexpr int kCount = 200;

    const std::vector<int> exitCodes = test_support::runTogether(
        test_support::programBeside("history_recorder"),
        {{"c:\\first", std::to_string(kCount)}, {"c:\\second", std::to_string(kCount)}},
        dataFolder_);

    EXPECT_THAT(exitCodes, ElementsAre(0, 0));
    const std::string text = readHistory();
    const HistoryMap entries = parseHistory(text);
    EXPECT_EQ(formatHistory(entries), text) << "every line is well-formed";
    std::vector<std::u16string> missing;
    for (const std::u16string root : {u"c:\\first\\", u"c:\\second\\"}) {
        for (int i = 0; i < kCount; ++i) {
            const std::string number = std::to_string(i);
            const std::u16string key = root + std::u16string(number.begin(), number.end());
            if (!entries.contains(key)) {
                missing.push_back(key);
            }
        }
    }
    EXPECT_THAT(missing, ::testing::IsEmpty());
    EXPECT_EQ(entries.size(), 2u * kCount);
    EXPECT_FALSE(std::filesystem::exists(temporaryFile()));
}

}  // namespace
}  // namespace history
