// What needs POSIX to set up: Ctrl+C with standard error on a pseudo-terminal, and a comparison
// with find over a real tree.

#include "cli_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <regex>
#include <set>
#include <utility>

namespace cli::testing {
namespace {

// `folders` folders of 1,000 empty files each below `root`.
void makeWideTree(const fs::path& root, int folders) {
    for (int f = 0; f < folders; ++f) {
        const fs::path folder = root / ("f" + std::to_string(f));
        fs::create_directories(folder);
        for (int i = 0; i < 1000; ++i) {
            const std::string file = (folder / (std::to_string(i) + ".txt")).string();
            const int made = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
            ASSERT_GE(made, 0);
            ::close(made);
        }
    }
}

struct Interrupted {
    int exitCode = -1;
    std::string out;
    std::string terminal;  // what reached standard error, a pseudo-terminal
};

// Runs rozovizov-cli with standard error on a pseudo-terminal and sends SIGINT as soon as the
// first progress line arrives there.
Interrupted runAndInterrupt(const std::vector<std::string>& arguments, const fs::path& scratch) {
    Interrupted result;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        ADD_FAILURE() << "no pseudo-terminal";
        return result;
    }
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    const fs::path outFile = scratch / "stdout.txt";
    const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const pid_t child = startCli(arguments, out, slave);
    ::close(slave);
    ::close(out);
    bool sent = false;
    for (;;) {
        pollfd wanted{master, POLLIN, 0};
        const int ready = ::poll(&wanted, 1, 10'000);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            ADD_FAILURE() << "no progress within ten seconds";
            ::kill(child, SIGKILL);
            break;
        }
        char buffer[4096];
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got <= 0) {
            break;  // the child has gone and closed the terminal
        }
        result.terminal.append(buffer, static_cast<std::size_t>(got));
        if (!sent && result.terminal.find('\r') != std::string::npos) {
            ::kill(child, SIGINT);
            sent = true;
        }
    }
    ::close(master);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(outFile, std::ios::binary);
    result.out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return result;
}

TEST_F(CliTest, CtrlCStopsTheScanAndReportsWhatWasFound) {
    // Memory-backed when there is such a folder, so the tree is quick to make.
    const fs::path shared = "/dev/shm";
    const fs::path big = (fs::is_directory(shared) ? shared : base_) /
                         ("rozovizov-cli-big-" + base_.filename().string());
    struct Remove {
        fs::path path;
        ~Remove() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } removeBig{big};

    // The scan must outlast the first progress line; a fast machine gets a larger tree.
    Interrupted run;
    int folders = 0;
    for (int grow : {40, 80, 160}) {
        ASSERT_NO_FATAL_FAILURE(makeWideTree(big / std::to_string(grow), grow));
        folders += grow;
        // A run that completed recorded itself; only the stopped one counts.
        std::error_code ignored;
        fs::remove(historyFile(), ignored);
        run = runAndInterrupt({utf8Of(big), "--threads", "1", "--top", "3"}, out_);
        if (run.exitCode != 0) {
            break;
        }
    }
    EXPECT_EQ(run.exitCode, 130) << run.out;
    EXPECT_TRUE(run.out.starts_with("Scan stopped · ")) << run.out;
    EXPECT_NE(run.out.find("\nFile kinds"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(std::to_string(folders) + ",000 files"), std::string::npos)
        << "the stop came before the end";
    EXPECT_TRUE(run.terminal.starts_with("\r")) << run.terminal;
    EXPECT_TRUE(run.terminal.find("\rScanning… ") != std::string::npos ||
                run.terminal.find("\rStarting scan…") != std::string::npos)
        << run.terminal;
    EXPECT_FALSE(fs::exists(historyFile())) << "a stopped scan is not recorded";
}

TEST_F(CliTest, AFurtherNameOfAHardLinkedFileIsNeitherAFileNorAFolder) {
    writeFile("data.bin", 3000);
    fs::create_directories(root_ / "sub");
    fs::create_hard_link(root_ / "data.bin", root_ / "sub" / "again.bin");
    const CliRun run = cli({rootText(), "--top", "0", "--csv", outText("links.csv")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.out.starts_with("Scan complete · 1 file · 2 folders · ")) << run.out;
    std::ifstream in(out_ / "links.csv", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(std::regex_search(text, std::regex(",0,0,0,[^,]*,duplicate\r\n"))) << text;
}

TEST_F(CliTest, NamesThatCouldRewriteTheTerminalAreShownEscaped) {
    const std::string hostile = "a\x1b[2J\x1b]0;owned\x07\rb\nc.txt";
    writeFile(hostile, 9000);
    writeFile("plain.txt", 10);
    const CliRun run = cli({rootText(), "--top", "5", "--csv", outText("items.csv")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.find_first_of("\x1b\x07\r"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  a\\x1B[2J\\x1B]0;owned\\x07\\rb\\nc.txt\n"), std::string::npos)
        << run.out;

    std::ifstream in(out_ / "items.csv", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::vector<std::string>> rows;
    ASSERT_TRUE(parseCsv(text, rows)) << text;
    bool kept = false;
    for (const auto& row : rows) {
        kept = kept || row[0] == rootText() + "/" + hostile;
    }
    EXPECT_TRUE(kept) << "the CSV keeps the name as it is";

    const std::string missing = rootText() + "/\x1b[31mmissing";
    const CliRun failed = cli({missing});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.err, "rozovizov-cli: cannot scan " + rootText() +
                              "/\\x1B[31mmissing: it does not exist\n");
}

// Runs rozovizov-cli with files it writes limited to `bytes`: a write past that fails part-way
// as on a full disk.
CliRun runWithFileLimit(const std::vector<std::string>& arguments, const fs::path& scratch,
                        rlim_t bytes) {
    CliRun run;
    const fs::path outFile = scratch / "stdout.txt";
    const fs::path errFile = scratch / "stderr.txt";
    const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    std::string program = ROZOVIZOV_CLI_PROGRAM;
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv{program.data()};
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const struct rlimit limit = {bytes, bytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        // The write fails with EFBIG instead of ending the process.
        ::signal(SIGXFSZ, SIG_IGN);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out);
    ::close(err);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream outText(outFile, std::ios::binary);
    run.out.assign(std::istreambuf_iterator<char>(outText), std::istreambuf_iterator<char>());
    std::ifstream errText(errFile, std::ios::binary);
    run.err.assign(std::istreambuf_iterator<char>(errText), std::istreambuf_iterator<char>());
    return run;
}

TEST_F(CliTest, AFileCutOffPartWayLeavesTheEarlierOneWhole) {
    // Enough items that the list and the picture both outgrow the limit.
    for (int i = 0; i < 400; ++i) {
        writeFile("folder" + std::to_string(i % 20) + "/a-long-name-for-a-long-line-" +
                      std::to_string(i) + ".bin",
                  static_cast<std::size_t>(100 + i * 37));
    }
    const std::pair<const char*, const char*> cases[] = {{"--csv", "items.csv"},
                                                         {"--treemap", "map.png"}};
    for (const auto& [option, name] : cases) {
        SCOPED_TRACE(option);
        std::ofstream(out_ / name) << "the earlier file";
        const CliRun run =
            runWithFileLimit({rootText(), "--top", "0", option, outText(name)}, out_, 8192);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.out.starts_with("Scan complete · 400 files")) << run.out;
        EXPECT_EQ(run.err,
                  "rozovizov-cli: cannot write " + outText(name) + ": the file grew too large\n");
        std::ifstream in(out_ / name, std::ios::binary);
        const std::string left((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        EXPECT_EQ(left, "the earlier file");
        for (const auto& entry : fs::directory_iterator(out_)) {
            EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos)
                << entry.path();
        }
    }
}

TEST_F(CliTest, ADeviceIsWrittenDirectlyAndItsFailureNamed) {
    writeFile("a.txt", 10);
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    const CliRun full = cli({rootText(), "--top", "0", "--csv", "/dev/full"});
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, "rozovizov-cli: cannot write /dev/full: the disk is full\n");
    const CliRun null = cli({rootText(), "--top", "0", "--csv", "/dev/null"});
    EXPECT_EQ(null.exitCode, 0) << null.err;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

struct Totals {
    std::uint64_t files = 0;
    std::uint64_t size = 0;
    std::uint64_t allocated = 0;
};

// What find reports for `root` under the scanner's rules: every non-folder counts once; a
// symbolic link counts as a file of no size; further names of a hard-linked file count nothing;
// other file systems mounted below are not entered.
Totals findTotals(const std::string& root) {
    Totals totals;
    const std::string command =
        "find '" + root + "' -xdev ! -type d -printf '%D %i %n %s %b %y\\n'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run find";
        return totals;
    }
    std::set<std::pair<unsigned long long, unsigned long long>> linked;
    unsigned long long device = 0, inode = 0, links = 0, size = 0, blocks = 0;
    char type = 0;
    while (std::fscanf(pipe, "%llu %llu %llu %llu %llu %c", &device, &inode, &links, &size, &blocks,
                       &type) == 6) {
        if (type == 'l') {
            totals.files += 1;
            continue;
        }
        if (links > 1 && !linked.insert({device, inode}).second) {
            continue;
        }
        totals.files += 1;
        totals.size += size;
        totals.allocated += blocks * 512;
    }
    ::pclose(pipe);
    return totals;
}

TEST_F(CliTest, UsrAddsUpAsFindCountsIt) {
    const std::string root = "/usr";
    if (!fs::is_directory(root)) {
        GTEST_SKIP() << "no /usr here";
    }
    const CliRun run = cli({root, "--top", "0", "--csv", outText("usr.csv")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Totals expected = findTotals(root);

    std::ifstream in(out_ / "usr.csv", std::ios::binary);
    std::string header, first;
    std::getline(in, header);
    std::getline(in, first);
    std::vector<std::vector<std::string>> rows;
    ASSERT_TRUE(parseCsv(first + "\n", rows));
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(rows[0][0], root);
    const Totals ours{std::stoull(rows[0][4]), std::stoull(rows[0][2]), std::stoull(rows[0][3])};
    std::printf(
        "/usr  rozovizov-cli: %llu files, %llu bytes long, %llu bytes on disk\n"
        "/usr  find:          %llu files, %llu bytes long, %llu bytes on disk\n",
        static_cast<unsigned long long>(ours.files), static_cast<unsigned long long>(ours.size),
        static_cast<unsigned long long>(ours.allocated),
        static_cast<unsigned long long>(expected.files),
        static_cast<unsigned long long>(expected.size),
        static_cast<unsigned long long>(expected.allocated));
    EXPECT_EQ(ours.files, expected.files);
    EXPECT_EQ(ours.size, expected.size);
    EXPECT_EQ(ours.allocated, expected.allocated);
    EXPECT_TRUE(run.out.starts_with("Scan complete · ")) << run.out;
}

}  // namespace
}  // namespace cli::testing
