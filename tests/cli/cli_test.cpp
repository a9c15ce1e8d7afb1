// End-to-end tests: the built rozovizov-cli run as a child process over generated trees.

#include "cli_fixture.h"
#include "png_reader.h"

#include <algorithm>
#include <map>
#include <regex>
#include <set>

namespace cli::testing {
namespace {

constexpr char kSeparator = fs::path::preferred_separator == L'\\' ? '\\' : '/';

// Six files in five folders (the root, a, a/b, a/b/empty, c), 85,528 bytes long in all.
class GeneratedTree : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        writeFile("a/big.bin", 50000);
        writeFile("a/notes.txt", 1200);
        writeFile("a/b/deep.jpg", 30000);
        fs::create_directories(root_ / "a" / "b" / "empty");
        writeFile("c/odd, name.txt", 7);
        writeFile(fs::path(u8"gr\u00F6\u00DFe.dat"), 4321);
        writeFile("top.pdf", 0);
    }

    static std::string relative(const char* path) {
        std::string text = path;
        std::replace(text.begin(), text.end(), '/', kSeparator);
        return text;
    }
};

TEST_F(GeneratedTree, TheSummaryGivesExactCountsSizesAndLargestItems) {
    const CliRun run = cli({rootText(), "--logical", "--top", "3"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "") << "no progress when standard error is not a terminal";
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_GE(lines.size(), 8u) << run.out;
    EXPECT_TRUE(std::regex_match(
        lines[0],
        std::regex("Scan complete · 6 files · 5 folders · [0-9.]+ [kMG]?B · [0-9]+\\.[0-9]s")))
        << lines[0];
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "Largest items (Current Size, file lengths)");
    // a holds 81,200 bytes; a/b and a/b/deep.jpg tie at 30,000 and the folder comes first.
    EXPECT_TRUE(std::regex_match(lines[3], std::regex("  +81\\.2 kB  Folder +a"))) << lines[3];
    EXPECT_TRUE(lines[4].starts_with("     50.0 kB  ")) << lines[4];
    EXPECT_TRUE(lines[4].ends_with("  " + relative("a/big.bin"))) << lines[4];
    EXPECT_TRUE(std::regex_match(lines[5], std::regex("  +30\\.0 kB  Folder +  a.b"))) << lines[5];
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[7], "File kinds (Current Size, file lengths)");
    // Kinds largest first: the 50,000 bytes of big.bin, then deep.jpg; both .txt files are one.
    ASSERT_GE(lines.size(), 11u) << run.out;
    EXPECT_TRUE(std::regex_match(lines[9], std::regex("  \\S.* +50\\.0 kB +1"))) << lines[9];
    EXPECT_TRUE(std::regex_match(lines[10], std::regex("  \\S.* +30\\.0 kB +1"))) << lines[10];
    EXPECT_NE(run.out.find("1.2 kB              2\n"), std::string::npos) << run.out;
}

TEST_F(GeneratedTree, TheCsvHoldsOneRowPerItemAndAddsUpToTheRoot) {
    const std::string csv = outText("items.csv");
    const CliRun run = cli({rootText(), "--csv", csv});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    std::ifstream in(out_ / "items.csv", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::vector<std::string>> rows;
    ASSERT_TRUE(parseCsv(text, rows)) << text;
    ASSERT_EQ(rows.size(), 12u) << text;
    EXPECT_EQ(rows[0], (std::vector<std::string>{"path", "kind", "size", "allocated", "files",
                                                 "created", "flags"}));
    const std::vector<std::string>& root = rows[1];
    ASSERT_EQ(root.size(), 7u);
    EXPECT_EQ(root[0], rootText());
    EXPECT_EQ(root[1], "Folder");
    EXPECT_EQ(root[6], "folder");

    std::set<std::string> paths;
    std::uint64_t size = 0, allocated = 0, files = 0;
    std::map<std::string, std::string> sizeOf;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const auto& row = rows[i];
        ASSERT_EQ(row.size(), 7u);
        ASSERT_TRUE(row[0].starts_with(root[0])) << row[0];
        const std::string path = i == 1 ? "" : row[0].substr(root[0].size() + 1);
        paths.insert(path);
        sizeOf[path] = row[2];
        EXPECT_TRUE(
            row[5].empty() ||
            std::regex_match(row[5], std::regex("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ")))
            << row[5];
        if (row[6].find("folder") == std::string::npos) {
            size += std::stoull(row[2]);
            allocated += std::stoull(row[3]);
            files += std::stoull(row[4]);
        }
    }
    const std::set<std::string> expected{"",
                                         "a",
                                         relative("a/big.bin"),
                                         relative("a/notes.txt"),
                                         relative("a/b"),
                                         relative("a/b/deep.jpg"),
                                         relative("a/b/empty"),
                                         "c",
                                         relative("c/odd, name.txt"),
                                         "gr\xC3\xB6\xC3\x9F"
                                         "e.dat",
                                         "top.pdf"};
    EXPECT_EQ(paths, expected);
    EXPECT_EQ(root[2], "85528");
    EXPECT_EQ(std::to_string(size), root[2]);
    EXPECT_EQ(std::to_string(allocated), root[3]);
    EXPECT_EQ(std::to_string(files), root[4]);
    EXPECT_EQ(root[4], "6");
    EXPECT_EQ(sizeOf["a"], "81200");
    EXPECT_EQ(sizeOf[relative("c/odd, name.txt")], "7");
}

TEST_F(GeneratedTree, TheTreemapIsAPictureOfTheAskedSize) {
    const std::string picture = outText("map.png");
    const CliRun run = cli({rootText(), "--treemap", picture, "--size", "320x200"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    treemap::testing::DecodedPng decoded;
    ASSERT_TRUE(treemap::testing::readPng(out_ / "map.png", decoded));
    EXPECT_EQ(decoded.width, 320);
    EXPECT_EQ(decoded.height, 200);
    const auto painted = std::count_if(decoded.pixels.begin(), decoded.pixels.end(),
                                       [](std::uint32_t pixel) { return pixel != 0x1C1C1E; });
    EXPECT_GT(painted, 320 * 200 / 2) << "the files cover most of the picture";
}

TEST_F(GeneratedTree, AMissingPathFailsAndLeavesTheHistoryAlone) {
    ASSERT_EQ(cli({rootText(), "--top", "0"}).exitCode, 0);
    std::ifstream in(historyFile(), std::ios::binary);
    const std::string before((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    ASSERT_NE(before, "") << "the completed scan was recorded in the test's own history";
    in.close();

    const std::string missing = utf8Of(root_ / "no such folder");
    const CliRun run = cli({missing});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "rozovizov-cli: cannot scan " + missing + ": it does not exist\n");
    std::ifstream again(historyFile(), std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(again)),
                            std::istreambuf_iterator<char>());
    EXPECT_EQ(after, before);
}

TEST_F(GeneratedTree, AFileAsThePathIsNotAFolderAndIsNotRecorded) {
    const std::string file = utf8Of(root_ / "top.pdf");
    const CliRun run = cli({file});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "rozovizov-cli: cannot scan " + file + ": it is not a folder\n");
    EXPECT_FALSE(fs::exists(historyFile()));
}

// The names in `folder` that a writer left behind besides the files it was asked for.
std::vector<std::string> temporaryFilesIn(const fs::path& folder) {
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".tmp") != std::string::npos) {
            left.push_back(name);
        }
    }
    return left;
}

TEST_F(GeneratedTree, OutputFilesReplaceWhatWasThereWhole) {
    std::ofstream(out_ / "items.csv") << "an earlier list";
    std::ofstream(out_ / "map.png") << "an earlier picture";
    const CliRun run = cli({rootText(), "--top", "0", "--csv", outText("items.csv"), "--treemap",
                            outText("map.png"), "--size", "64x48"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::ifstream in(out_ / "items.csv", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(text.starts_with("path,kind,size,allocated,files,created,flags\r\n")) << text;
    treemap::testing::DecodedPng decoded;
    EXPECT_TRUE(treemap::testing::readPng(out_ / "map.png", decoded));
    EXPECT_EQ(decoded.width, 64);
    EXPECT_TRUE(temporaryFilesIn(out_).empty());
}

TEST_F(GeneratedTree, AFolderInTheWayOfAnOutputFileLeavesNothingBehind) {
    for (const char* option : {"--csv", "--treemap"}) {
        SCOPED_TRACE(option);
        const fs::path inTheWay = out_ / "taken";
        fs::create_directories(inTheWay / "inside");
        const CliRun run = cli({rootText(), "--top", "0", option, utf8Of(inTheWay)});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.out.starts_with("Scan complete · 6 files")) << run.out;
        EXPECT_EQ(run.err,
                  "rozovizov-cli: cannot write " + utf8Of(inTheWay) + ": a folder has that name\n");
        EXPECT_TRUE(fs::is_directory(inTheWay / "inside"));
        EXPECT_TRUE(temporaryFilesIn(out_).empty());
    }
}

TEST_F(GeneratedTree, SinceLastScanNeedsAPreviousScan) {
    CliRun run = cli({"--measure", "since-last", rootText()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("needs a previous scan"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(historyFile())) << "a refused command scans nothing";

    ASSERT_EQ(cli({rootText()}).exitCode, 0);
    run = cli({"--measure=since-last", rootText(), "--top", "1"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::regex_search(run.out, std::regex("^Scan complete · 6 files · .*  —  Added "
                                                      "Since Last Scan: [0-9.]+ [kMG]?B\n")))
        << run.out;
    EXPECT_NE(run.out.find("Largest items (Added Since Last Scan)"), std::string::npos);
}

TEST_F(GeneratedTree, FilesJustWrittenCountWholeUnderTheAddedMeasureAskedFor) {
    // The program counts only the measure it shows; the one asked for must still be counted.
    const CliRun current = cli({rootText(), "--top", "0"});
    ASSERT_EQ(current.exitCode, 0) << current.err;
    std::smatch found;
    const std::string firstLine = linesOf(current.out).at(0);
    ASSERT_TRUE(std::regex_search(firstLine, found, std::regex(" · ([0-9.]+ [kMG]?B) · ")))
        << firstLine;
    const std::string allocated = found[1];

    const std::pair<const char*, const char*> measures[] = {
        {"month", "Added in Last Month"}, {"half-year", "Added in Last 6 Months"}};
    for (const auto& [option, name] : measures) {
        SCOPED_TRACE(option);
        const CliRun run = cli({"--measure", option, rootText(), "--top", "1"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::vector<std::string> lines = linesOf(run.out);
        ASSERT_GE(lines.size(), 4u) << run.out;
        EXPECT_TRUE(lines[0].ends_with(std::string("  —  ") + name + ": " + allocated)) << lines[0];
        EXPECT_EQ(lines[2], std::string("Largest items (") + name + ")");
        EXPECT_TRUE(std::regex_match(lines[3], std::regex("  +[1-9][0-9.]* [kMG]?B  Folder +a")))
            << lines[3];
    }
}

TEST_F(GeneratedTree, ACommandLineMistakeExitsWithTwoAndAHint) {
    const std::vector<std::vector<std::string>> mistakes = {
        {"--bogus", rootText()},
        {"--top", "many", rootText()},
        {"--measure", "weekly", rootText()},
        {"--method", "fast", rootText()},
        {"--threads", "0", rootText()},
        {"--size", "10x10", rootText()},
        {"--treemap", outText("x.png"), "--size", "10by10", rootText()},
        {rootText(), rootText()},
        {},
        {rootText(), "--csv"},
        {rootText(), "--csv", outText("same"), "--treemap", outText("same")},
        {rootText(), "--csv", outText("same"), "--treemap", utf8Of(out_ / "x" / ".." / "same")},
    };
    for (const auto& arguments : mistakes) {
        std::string shown;
        for (const std::string& argument : arguments) {
            shown += argument + " ";
        }
        SCOPED_TRACE(shown);
        const CliRun run = cli(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.err.starts_with("rozovizov-cli: ")) << run.err;
        EXPECT_TRUE(run.err.ends_with(" (see rozovizov-cli --help)\n")) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_FALSE(fs::exists(historyFile())) << "no mistake started a scan";

    const CliRun help = cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: rozovizov-cli [options] PATH\n")) << help.out;
    const CliRun version = cli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("rozovizov-cli \\d+\\.\\d+\\.\\d+\n")))
        << version.out;
}

TEST_F(GeneratedTree, AFileThatCannotBeWrittenFailsAfterTheSummary) {
    const std::string unwritable = utf8Of(out_ / "missing folder" / "items");
    const std::vector<std::vector<std::string>> cases = {
        {rootText(), "--csv", unwritable},
        {rootText(), "--treemap", unwritable, "--size", "40x30"},
    };
    for (const auto& arguments : cases) {
        SCOPED_TRACE(arguments[1]);
        const CliRun run = cli(arguments);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.out.starts_with("Scan complete · 6 files")) << run.out;
        EXPECT_TRUE(run.err.starts_with("rozovizov-cli: cannot write " + unwritable)) << run.err;
    }
}

}  // namespace
}  // namespace cli::testing
