#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "child_processes.h"

namespace history::test_support {

namespace {

pid_t start(const std::filesystem::path& program, const std::vector<std::string>& arguments,
            const std::filesystem::path& workingFolder, int input) {
    std::vector<char*> argv;
    std::string name = program.string();
    argv.push_back(name.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        // Only async-signal-safe calls between fork and exec.
        if (::dup2(input, STDIN_FILENO) == STDIN_FILENO && ::chdir(workingFolder.c_str()) == 0) {
            ::execv(name.c_str(), argv.data());
        }
        ::_exit(127);
    }
    return child;
}

int waitFor(pid_t child) {
    if (child < 0) {
        return -1;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::filesystem::path programBeside(std::string_view name) {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / name;
}

std::vector<int> runTogether(const std::filesystem::path& program,
                             const std::vector<std::vector<std::string>>& argumentLists,
                             const std::filesystem::path& workingFolder) {
    std::vector<pid_t> children;
    std::vector<int> inputs;
    for (const auto& arguments : argumentLists) {
        // Close-on-exec keeps every write end out of the programs: one that held any would
        // never see its own input end.
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            children.push_back(-1);
            continue;
        }
        children.push_back(start(program, arguments, workingFolder, ends[0]));
        ::close(ends[0]);
        inputs.push_back(ends[1]);
    }
    for (const int input : inputs) {
        ::close(input);
    }
    std::vector<int> codes;
    for (const pid_t child : children) {
        codes.push_back(waitFor(child));
    }
    return codes;
}

}  // namespace history::test_support
