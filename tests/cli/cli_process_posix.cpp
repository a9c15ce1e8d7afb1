#include "cli_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace cli::testing {

namespace {

std::string contentOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int startCli(const std::vector<std::string>& arguments, int out, int err) {
    std::string program = ROZOVIZOV_CLI_PROGRAM;
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv{program.data()};
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        // Only async-signal-safe calls between fork and exec.
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    return child;
}

CliRun runCli(const std::vector<std::string>& arguments, const std::filesystem::path& scratch) {
    const std::filesystem::path outFile = scratch / "stdout.txt";
    const std::filesystem::path errFile = scratch / "stderr.txt";
    const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    CliRun run;
    const pid_t child = startCli(arguments, out, err);
    ::close(out);
    ::close(err);
    int status = 0;
    while (child > 0 && ::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (child > 0 && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    }
    run.out = contentOf(outFile);
    run.err = contentOf(errFile);
    return run;
}

void setEnvironment(const char* name, const std::filesystem::path& value) {
    ::setenv(name, value.c_str(), 1);
}

std::string utf8Of(const std::filesystem::path& path) {
    return path.string();
}

}  // namespace cli::testing
