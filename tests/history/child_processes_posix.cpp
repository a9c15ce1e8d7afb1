#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "child_processes.h"

namespace history::test_support {

namespace {

pid_t start(const std::filesystem::path& program, const std::vector<std::string>& arguments,
            const std::filesystem::path& workingFolder) {
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
        if (::chdir(workingFolder.c_str()) == 0) {
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
                             const std::filesystem::path& workingFolder,
                             const std::function<void()>& onceStarted) {
    std::vector<pid_t> children;
    for (const auto& arguments : argumentLists) {
        children.push_back(start(program, arguments, workingFolder));
    }
    onceStarted();
    std::vector<int> codes;
    for (const pid_t child : children) {
        codes.push_back(waitFor(child));
    }
    return codes;
}

}  // namespace history::test_support
